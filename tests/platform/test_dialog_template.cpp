// The options dialog's template as data against the Windows resource.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/dialog/dialog.h"
#include "program/options_dialog.h"

using namespace zelvik;

namespace {

// A name of the resource script as a number: the ids of the ids header
// (read from the file, as the resource compiler reads it) and the styles
// the templates use. 0 with a failure for any other name.
uint32_t ValueOf(const std::string& name, const std::map<std::string, uint32_t>& ids)
{
    static const std::map<std::string, uint32_t> kStyles = {
        {"WS_POPUP", WS_POPUP},         {"WS_CHILD", WS_CHILD},
        {"WS_VISIBLE", WS_VISIBLE},     {"WS_CAPTION", WS_CAPTION},
        {"WS_GROUP", WS_GROUP},         {"WS_TABSTOP", WS_TABSTOP},
        {"DS_SETFONT", DS_SETFONT},     {"BS_PUSHBUTTON", BS_PUSHBUTTON},
        {"BS_DEFPUSHBUTTON", BS_DEFPUSHBUTTON}, {"BS_AUTOCHECKBOX", BS_AUTOCHECKBOX},
        {"BS_RADIOBUTTON", BS_RADIOBUTTON},
    };
    if (auto it = kStyles.find(name); it != kStyles.end()) return it->second;
    if (auto it = ids.find(name); it != ids.end()) return it->second;
    ADD_FAILURE() << "the resource script names " << name << ", which the data template cannot say";
    return 0;
}

// "A | B | C" as the OR of the names' values.
uint32_t Flags(const std::string& text, const std::map<std::string, uint32_t>& ids)
{
    uint32_t flags = 0;
    std::stringstream words(text);
    std::string word;
    while (std::getline(words, word, '|')) {
        word.erase(0, word.find_first_not_of(" \t"));
        word.erase(word.find_last_not_of(" \t\r") + 1);
        flags |= ValueOf(word, ids);
    }
    return flags;
}

std::vector<std::string> LinesOf(const char* path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

// The options dialog exists twice: as data for the drawn dialog manager
// and as the Windows resource the system's own dialog manager shows. Both
// must say the same thing, control for control.
TEST(DialogLayout, TheTemplateAsDataIsTheWindowsResource)
{
    std::map<std::string, uint32_t> ids;
    const std::regex define(R"(#define\s+(\w+)\s+(\d+))");
    for (const std::string& line : LinesOf(ZELVIK_OPTIONS_DIALOG_IDS)) {
        std::smatch m;
        if (std::regex_search(line, m, define)) ids[m[1]] = static_cast<uint32_t>(std::stoul(m[2]));
    }
    ASSERT_FALSE(ids.empty()) << ZELVIK_OPTIONS_DIALOG_IDS;

    const std::regex dialog(R"(^(\w+)\s+DIALOG\s+(\d+),\s*(\d+),\s*(\d+),\s*(\d+))");
    const std::regex style(R"(^STYLE\s+(.+))");
    const std::regex caption(R"re(^CAPTION\s+"([^"]*)")re");
    const std::regex font(R"(^FONT\s+(\d+),)");
    const std::regex control(
        R"re(^\s*CONTROL\s+"([^"]*)",\s*(\w+),\s*"(\w+)",\s*([^,]+),\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+))re");
    const DialogTemplate* data = nullptr;
    int32_t items = 0;
    for (const std::string& line : LinesOf(ZELVIK_OPTIONS_DIALOG_RC)) {
        std::smatch m;
        if (std::regex_search(line, m, dialog)) {
            data = FindDialogTemplate(static_cast<int32_t>(ValueOf(m[1], ids)));
            ASSERT_NE(data, nullptr) << "no data template for " << m[1];
            EXPECT_EQ(data->x, std::stoi(m[2]));
            EXPECT_EQ(data->y, std::stoi(m[3]));
            EXPECT_EQ(data->cx, std::stoi(m[4]));
            EXPECT_EQ(data->cy, std::stoi(m[5]));
        } else if (data == nullptr) {
            continue;
        } else if (std::regex_search(line, m, style)) {
            EXPECT_EQ(data->style, Flags(m[1], ids));
        } else if (std::regex_search(line, m, caption)) {
            EXPECT_EQ(std::string(data->caption), m[1]);
        } else if (std::regex_search(line, m, font)) {
            // The face differs by design: a generic family in the data, the
            // system's classic dialog font in the resource.
            EXPECT_EQ(data->pointSize, std::stoi(m[1]));
        } else if (std::regex_search(line, m, control)) {
            ASSERT_LT(items, data->itemCount) << "the resource has more controls: " << line;
            const DialogItemTemplate& item = data->items[items++];
            SCOPED_TRACE(line);
            EXPECT_EQ(std::string(item.text), m[1]);
            EXPECT_EQ(static_cast<uint32_t>(item.id), ValueOf(m[2], ids));
            EXPECT_EQ(std::string(m[3]), "Button") << "every control is a button";
            // CONTROL adds WS_CHILD | WS_VISIBLE itself.
            EXPECT_EQ(item.style, WS_CHILD | WS_VISIBLE | Flags(m[4], ids));
            EXPECT_EQ(item.x, std::stoi(m[5]));
            EXPECT_EQ(item.y, std::stoi(m[6]));
            EXPECT_EQ(item.cx, std::stoi(m[7]));
            EXPECT_EQ(item.cy, std::stoi(m[8]));
        }
    }
    ASSERT_NE(data, nullptr) << "no DIALOG in " << ZELVIK_OPTIONS_DIALOG_RC;
    EXPECT_EQ(items, data->itemCount) << "the data has more controls than the resource";
}
