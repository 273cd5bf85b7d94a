// Module set-up and rendering on libopenmpt, shared by the live player and
// the offline renderer: the same flags give the same samples everywhere.
#include "platform/audio/module_renderer.h"

#include <libopenmpt/libopenmpt.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/audio/module_decoder.h"

namespace zelvik {

openmpt_module* CreateModule(const uint8_t* data, size_t size, const std::string& source, uint32_t flags)
{
    if (size == 0) {
        Complain(source, "not a module file (empty)");
        return nullptr;
    }
    if (IsCutShortXm(data, size)) {
        Complain(source, "module file is cut short");
        return nullptr;
    }
    const int probe = openmpt_probe_file_header(OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, data, size, size,
                                                openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
                                                nullptr, nullptr, nullptr);
    if (probe != OPENMPT_PROBE_FILE_HEADER_RESULT_SUCCESS) {
        Complain(source, "not a module file");
        return nullptr;
    }
    int error = 0;
    const char* message = nullptr;
    openmpt_module* module = openmpt_module_create_from_memory2(data, size, openmpt_log_func_silent, nullptr,
                                                                openmpt_error_func_store, nullptr, &error,
                                                                &message, nullptr);
    if (!module) {
        Complain(source, std::string("damaged module file") + (message && *message ? std::string(" (") + message + ")" : ""));
        openmpt_free_string(message);
        return nullptr;
    }
    openmpt_free_string(message);

    openmpt_module_set_repeat_count(module, (flags & kModuleLoop) ? -1 : 0);
    // -1 is the library's recommended ramp; 0 switches ramping off.
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH,
                                    (flags & kModuleRamp) ? -1 : 0);
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH,
                                    (flags & kModuleSinc) ? 8 : 4);
    // No dither: the same module renders to the same samples every time.
    openmpt_module_ctl_set_integer(module, "dither", 0);
    return module;
}

size_t RenderInto(openmpt_module* module, int32_t rate, bool mono, int16_t* out, size_t frames)
{
    size_t done = 0;
    while (done < frames) {
        const size_t got = mono ? openmpt_module_read_mono(module, rate, frames - done, out + done)
                                : openmpt_module_read_interleaved_stereo(module, rate, frames - done, out + 2 * done);
        if (got == 0) break;
        done += got;
    }
    const size_t channels = mono ? 1 : 2;
    std::memset(out + channels * done, 0, (frames - done) * channels * sizeof(int16_t));
    return done;
}

struct ModuleRenderer {
    openmpt_module* module;
    int32_t rate;
    bool mono;
};

namespace {

bool RateUsable(const char* source, uint32_t rate)
{
    if (rate >= kLowestModuleRate && rate <= kHighestModuleRate) return true;
    Complain(source, "cannot render at " + std::to_string(rate) + " Hz");
    return false;
}

ModuleRenderer* RendererFor(openmpt_module* module, uint32_t rate, bool mono)
{
    return module ? new ModuleRenderer{module, static_cast<int32_t>(rate), mono} : nullptr;
}

}  // namespace

ModuleRenderer* OpenModuleRenderer(const char* path, uint32_t rate, bool mono, uint32_t flags)
{
    if (!RateUsable(path, rate)) return nullptr;
    std::vector<uint8_t> data;
    if (!ReadModuleFile(path, 0, 0, &data)) return nullptr;
    return RendererFor(CreateModule(data.data(), data.size(), path, flags), rate, mono);
}

ModuleRenderer* OpenModuleRendererFromMemory(const void* data, size_t size, uint32_t rate, bool mono,
                                             uint32_t flags)
{
    const char* source = "module in memory";
    if (!RateUsable(source, rate)) return nullptr;
    return RendererFor(CreateModule(static_cast<const uint8_t*>(data), size, source, flags), rate, mono);
}

size_t RenderModuleFrames(ModuleRenderer* renderer, int16_t* out, size_t frames)
{
    return RenderInto(renderer->module, renderer->rate, renderer->mono, out, frames);
}

double ModuleRendererPosition(const ModuleRenderer* renderer)
{
    return openmpt_module_get_position_seconds(renderer->module);
}

void CloseModuleRenderer(ModuleRenderer* renderer)
{
    if (!renderer) return;
    openmpt_module_destroy(renderer->module);
    delete renderer;
}

}  // namespace zelvik
