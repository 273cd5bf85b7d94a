#include "xm_writer.h"

#include <algorithm>
#include <cstring>

namespace makemusic {

namespace {

constexpr uint32_t kHeaderSize = 276;           // counted from the header-size field
constexpr uint32_t kInstrumentHeaderSize = 263;  // what FT2 itself writes
constexpr uint32_t kSampleHeaderSize = 40;

void Put8(std::vector<uint8_t>* out, uint32_t value)
{
    out->push_back(static_cast<uint8_t>(value));
}

void Put16(std::vector<uint8_t>* out, uint32_t value)
{
    Put8(out, value & 0xFF);
    Put8(out, (value >> 8) & 0xFF);
}

void Put32(std::vector<uint8_t>* out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// A fixed-width text field, padded with zeros (names) or spaces (the
// tracker name, as FT2 does).
void PutText(std::vector<uint8_t>* out, const std::string& text, size_t width, char pad = '\0')
{
    for (size_t i = 0; i < width; ++i) {
        Put8(out, static_cast<uint8_t>(i < text.size() ? text[i] : pad));
    }
}

void PutZeros(std::vector<uint8_t>* out, size_t count)
{
    out->insert(out->end(), count, 0);
}

bool Fail(std::string* error, const std::string& why)
{
    *error = why;
    return false;
}

bool CheckModule(const Module& m, std::string* error)
{
    if (m.channels < 2 || m.channels > 32 || m.channels % 2 != 0) {
        return Fail(error, "channel count must be even and 2 ... 32");
    }
    if (m.speed < 1 || m.speed > 31) return Fail(error, "speed must be 1 ... 31");
    if (m.bpm < 32 || m.bpm > 255) return Fail(error, "BPM must be 32 ... 255");
    if (m.orders.empty() || m.orders.size() > 256) return Fail(error, "1 ... 256 orders");
    if (m.patterns.empty() || m.patterns.size() > 256) return Fail(error, "1 ... 256 patterns");
    if (m.instruments.size() > 128) return Fail(error, "at most 128 instruments");
    if (m.restartPosition < 0 || m.restartPosition >= static_cast<int>(m.orders.size())) {
        return Fail(error, "restart position outside the order list");
    }
    for (uint8_t order : m.orders) {
        if (order >= m.patterns.size()) return Fail(error, "order names a missing pattern");
    }
    for (const Pattern& p : m.patterns) {
        if (p.rows < 1 || p.rows > 256) return Fail(error, "pattern rows must be 1 ... 256");
        if (p.cells.size() != static_cast<size_t>(p.rows) * m.channels) {
            return Fail(error, "pattern cells do not match rows x channels");
        }
        for (const Cell& c : p.cells) {
            if (c.note > kKeyOff) return Fail(error, "note out of range");
            if (c.instrument > m.instruments.size()) return Fail(error, "cell names a missing instrument");
            if (c.volume != 0 && c.volume < 0x10) return Fail(error, "bad volume-column byte");
            if (c.volume > 0x50 && c.volume < 0x60) return Fail(error, "volume above 64");
            if (c.effect > 35) return Fail(error, "unknown effect");
            if (c.effect == kEffectSetTempo && c.param == 0) {
                return Fail(error, "speed 0 stops the song");
            }
        }
    }
    for (const Instrument& in : m.instruments) {
        if (in.sample.empty()) return Fail(error, in.name + ": empty sample");
        if (in.volume > 64) return Fail(error, in.name + ": volume above 64");
        if (in.volumeEnvelope.points.size() > 12) return Fail(error, in.name + ": over 12 envelope points");
        if (in.volumeEnvelope.sustain >= static_cast<int>(in.volumeEnvelope.points.size())) {
            return Fail(error, in.name + ": sustain point outside the envelope");
        }
        for (size_t i = 0; i < in.volumeEnvelope.points.size(); ++i) {
            const EnvelopePoint& p = in.volumeEnvelope.points[i];
            if (p.value > 64) return Fail(error, in.name + ": envelope value above 64");
            if (i > 0 && p.tick <= in.volumeEnvelope.points[i - 1].tick) {
                return Fail(error, in.name + ": envelope ticks must rise");
            }
        }
        if (in.loop && (in.loopLength == 0 || in.loopStart + in.loopLength > in.sample.size())) {
            return Fail(error, in.name + ": loop outside the sample");
        }
        if (in.vibratoType > 3 || in.vibratoDepth > 15 || in.vibratoRate > 63) {
            return Fail(error, in.name + ": auto-vibrato out of range");
        }
        if (in.fadeout > 0xFFF) return Fail(error, in.name + ": fadeout above 0xFFF");
    }
    return true;
}

// Packed pattern data: a cell whose every field is present is written in
// full (five bytes), any other cell as a flag byte followed by the fields
// it names. Every cell of every row is written, so the data covers exactly
// rows x channels cells.
void PutPattern(std::vector<uint8_t>* out, const Pattern& p)
{
    std::vector<uint8_t> data;
    for (const Cell& c : p.cells) {
        const bool all = c.note && c.instrument && c.volume && c.effect && c.param;
        if (all) {
            Put8(&data, c.note);
            Put8(&data, c.instrument);
            Put8(&data, c.volume);
            Put8(&data, c.effect);
            Put8(&data, c.param);
            continue;
        }
        uint8_t flags = 0x80;
        if (c.note) flags |= 0x01;
        if (c.instrument) flags |= 0x02;
        if (c.volume) flags |= 0x04;
        if (c.effect) flags |= 0x08;
        if (c.param) flags |= 0x10;
        Put8(&data, flags);
        if (c.note) Put8(&data, c.note);
        if (c.instrument) Put8(&data, c.instrument);
        if (c.volume) Put8(&data, c.volume);
        if (c.effect) Put8(&data, c.effect);
        if (c.param) Put8(&data, c.param);
    }
    Put32(out, 9);  // pattern header length
    Put8(out, 0);   // packing type
    Put16(out, static_cast<uint32_t>(p.rows));
    Put16(out, static_cast<uint32_t>(data.size()));
    out->insert(out->end(), data.begin(), data.end());
}

void PutInstrument(std::vector<uint8_t>* out, const Instrument& in)
{
    const size_t start = out->size();
    Put32(out, kInstrumentHeaderSize);
    PutText(out, in.name, 22);
    Put8(out, 0);   // type
    Put16(out, 1);  // one sample
    Put32(out, kSampleHeaderSize);
    PutZeros(out, 96);  // every note plays sample 0

    const Envelope& env = in.volumeEnvelope;
    for (size_t i = 0; i < 12; ++i) {
        Put16(out, i < env.points.size() ? env.points[i].tick : 0);
        Put16(out, i < env.points.size() ? env.points[i].value : 0);
    }
    PutZeros(out, 48);  // no panning envelope
    Put8(out, static_cast<uint32_t>(env.points.size()));
    Put8(out, 0);  // panning envelope points
    Put8(out, env.sustain < 0 ? 0 : static_cast<uint32_t>(env.sustain));
    Put8(out, 0);  // volume loop start
    Put8(out, 0);  // volume loop end
    PutZeros(out, 3);  // panning sustain, loop start, loop end
    uint32_t type = 0;
    if (!env.points.empty()) type |= 1;
    if (!env.points.empty() && env.sustain >= 0) type |= 2;
    Put8(out, type);
    Put8(out, 0);  // panning envelope off
    Put8(out, in.vibratoType);
    Put8(out, in.vibratoSweep);
    Put8(out, in.vibratoDepth);
    Put8(out, in.vibratoRate);
    Put16(out, in.fadeout);
    PutZeros(out, kInstrumentHeaderSize - (out->size() - start));

    // The sample header, then its data as 16-bit little-endian deltas.
    const uint32_t frames = static_cast<uint32_t>(in.sample.size());
    Put32(out, frames * 2);
    Put32(out, in.loop ? in.loopStart * 2 : 0);
    Put32(out, in.loop ? in.loopLength * 2 : 0);
    Put8(out, in.volume);
    Put8(out, static_cast<uint8_t>(in.finetune));
    Put8(out, 0x10u | (in.loop ? 1u : 0u));  // 16-bit, forward loop
    Put8(out, in.panning);
    Put8(out, static_cast<uint8_t>(in.relativeNote));
    Put8(out, 0);
    PutText(out, in.name, 22);

    int16_t previous = 0;
    for (int16_t s : in.sample) {
        const uint16_t delta = static_cast<uint16_t>(static_cast<uint16_t>(s) - static_cast<uint16_t>(previous));
        Put16(out, delta);
        previous = s;
    }
}

}  // namespace

bool WriteXm(const Module& m, std::vector<uint8_t>* bytes, std::string* error)
{
    if (!CheckModule(m, error)) return false;

    std::vector<uint8_t>& out = *bytes;
    out.clear();
    PutText(&out, "Extended Module: ", 17);
    PutText(&out, m.name, 20);
    Put8(&out, 0x1A);
    PutText(&out, "zelvik make_music", 20, ' ');
    Put16(&out, 0x0104);
    Put32(&out, kHeaderSize);
    Put16(&out, static_cast<uint32_t>(m.orders.size()));
    Put16(&out, static_cast<uint32_t>(m.restartPosition));
    Put16(&out, static_cast<uint32_t>(m.channels));
    Put16(&out, static_cast<uint32_t>(m.patterns.size()));
    Put16(&out, static_cast<uint32_t>(m.instruments.size()));
    Put16(&out, 1);  // linear frequency table
    Put16(&out, static_cast<uint32_t>(m.speed));
    Put16(&out, static_cast<uint32_t>(m.bpm));
    for (size_t i = 0; i < 256; ++i) Put8(&out, i < m.orders.size() ? m.orders[i] : 0);

    for (const Pattern& p : m.patterns) {
        const size_t before = out.size();
        PutPattern(&out, p);
        if (out.size() - before - 9 > 0xFFFF) return Fail(error, "pattern data over 64 KiB");
    }
    for (const Instrument& in : m.instruments) PutInstrument(&out, in);
    return true;
}

}  // namespace makemusic
