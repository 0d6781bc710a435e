// Writing XM files field by field, little-endian, with patterns packed the way
// trackers pack them (a flag byte announcing which fields follow).
#include "xm_writer.h"

namespace {

void put8(std::vector<std::uint8_t> &b, int v) { b.push_back(static_cast<std::uint8_t>(v & 0xff)); }

void put16(std::vector<std::uint8_t> &b, std::uint32_t v) {
    put8(b, static_cast<int>(v & 0xff));
    put8(b, static_cast<int>((v >> 8) & 0xff));
}

void put32(std::vector<std::uint8_t> &b, std::uint32_t v) {
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}

void put_text(std::vector<std::uint8_t> &b, const std::string &s, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) put8(b, i < s.size() ? s[i] : 0);
}

void set16(std::vector<std::uint8_t> &b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v & 0xff);
    b[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xff);
}

constexpr std::uint32_t kHeaderSize = 276;      // from the size field to the end of the orders
constexpr std::uint32_t kInstrumentSize = 263;  // instrument header as FastTracker 2 writes it
constexpr std::uint32_t kSampleHeaderSize = 40;

void put_cell(std::vector<std::uint8_t> &b, const XmCell &c) {
    int flags = 0x80;
    if (c.note) flags |= 0x01;
    if (c.instrument) flags |= 0x02;
    if (c.volume) flags |= 0x04;
    if (c.effect) flags |= 0x08;
    if (c.param) flags |= 0x10;
    if (flags == 0x9f) {  // every field present: the plain five bytes are shorter
        put8(b, c.note);
        put8(b, c.instrument);
        put8(b, c.volume);
        put8(b, c.effect);
        put8(b, c.param);
        return;
    }
    put8(b, flags);
    if (c.note) put8(b, c.note);
    if (c.instrument) put8(b, c.instrument);
    if (c.volume) put8(b, c.volume);
    if (c.effect) put8(b, c.effect);
    if (c.param) put8(b, c.param);
}

void put_pattern(std::vector<std::uint8_t> &b, const XmPattern &p) {
    put32(b, 9);  // pattern header length
    put8(b, 0);   // packing type
    put16(b, static_cast<std::uint32_t>(p.rows));
    std::size_t size_at = b.size();
    put16(b, 0);
    std::size_t start = b.size();
    for (const XmCell &c : p.cells) put_cell(b, c);
    set16(b, size_at, static_cast<std::uint32_t>(b.size() - start));
}

void put_instrument(std::vector<std::uint8_t> &b, const XmInstrument &in) {
    put32(b, kInstrumentSize);
    put_text(b, in.name, kXmInstrumentNameLength);
    put8(b, 0);   // type
    put16(b, 1);  // one sample
    put32(b, kSampleHeaderSize);
    for (int i = 0; i < 96; ++i) put8(b, 0);  // every note plays sample 0
    for (int i = 0; i < kXmMaxEnvelopePoints; ++i) {
        put16(b, static_cast<std::uint32_t>(i < in.envelope_count ? in.envelope[i].tick : 0));
        put16(b, static_cast<std::uint32_t>(i < in.envelope_count ? in.envelope[i].value : 0));
    }
    for (int i = 0; i < kXmMaxEnvelopePoints * 2; ++i) put16(b, 0);  // no panning envelope
    put8(b, in.envelope_count);
    put8(b, 0);
    put8(b, in.sustain_point < 0 ? 0 : in.sustain_point);
    put8(b, 0);  // volume loop start
    put8(b, 0);  // volume loop end
    put8(b, 0);  // panning sustain, loop start, loop end
    put8(b, 0);
    put8(b, 0);
    int type = 0;
    if (in.envelope_count > 0) type |= 1;
    if (in.envelope_count > 0 && in.sustain_point >= 0) type |= 2;
    put8(b, type);
    put8(b, 0);  // panning envelope off
    put8(b, in.vibrato_type);
    put8(b, in.vibrato_sweep);
    put8(b, in.vibrato_depth);
    put8(b, in.vibrato_rate);
    put16(b, static_cast<std::uint32_t>(in.fadeout));
    for (std::uint32_t i = 241; i < kInstrumentSize; ++i) put8(b, 0);  // reserved

    // The sample header counts bytes, two to a 16-bit sample.
    std::uint32_t n = static_cast<std::uint32_t>(in.sample.size());
    put32(b, n * 2);
    put32(b, in.loop ? in.loop_start * 2 : 0);
    put32(b, in.loop ? in.loop_length * 2 : 0);
    put8(b, in.volume);
    put8(b, in.finetune);
    put8(b, 0x10 | (in.loop ? 1 : 0));  // 16-bit, forward loop or none
    put8(b, in.panning);
    put8(b, in.relative_note);
    put8(b, 0);
    put_text(b, in.name, kXmInstrumentNameLength);
}

void put_sample_data(std::vector<std::uint8_t> &b, const XmInstrument &in) {
    std::int16_t old = 0;
    for (std::int16_t v : in.sample) {
        put16(b, static_cast<std::uint16_t>(static_cast<std::uint16_t>(v) -
                                            static_cast<std::uint16_t>(old)));
        old = v;
    }
}

bool check_instrument(const XmInstrument &in, int number, std::string &error) {
    std::string which = "instrument " + std::to_string(number) + " (" + in.name + ")";
    if (in.sample.empty()) error = which + " has no sample";
    else if (in.sample.size() > 0x3fffffff) error = which + ": sample too long";
    else if (in.loop && (in.loop_length == 0 ||
                         in.loop_start + in.loop_length > in.sample.size()))
        error = which + ": loop lies outside the sample";
    else if (in.volume < 0 || in.volume > 64) error = which + ": volume outside 0..64";
    else if (in.finetune < -128 || in.finetune > 127) error = which + ": finetune outside -128..127";
    else if (in.relative_note < -96 || in.relative_note > 95) error = which + ": relative note outside -96..95";
    else if (in.panning < 0 || in.panning > 255) error = which + ": panning outside 0..255";
    else if (in.envelope_count < 0 || in.envelope_count > kXmMaxEnvelopePoints)
        error = which + ": at most 12 envelope points";
    else if (in.envelope_count > 0 && in.sustain_point >= in.envelope_count)
        error = which + ": sustain point past the last envelope point";
    else if (in.fadeout < 0 || in.fadeout > 4095) error = which + ": fadeout outside 0..4095";
    if (!error.empty()) return false;
    for (int i = 0; i < in.envelope_count; ++i) {
        const XmEnvelopePoint &p = in.envelope[i];
        if (p.value < 0 || p.value > 64 || p.tick < 0 || p.tick > 65535 ||
            (i > 0 && p.tick <= in.envelope[i - 1].tick) || (i == 0 && p.tick != 0)) {
            error = which + ": envelope points must start at tick 0, rise in tick, hold values 0..64";
            return false;
        }
    }
    return true;
}

}  // namespace

XmCell &xm_cell(XmPattern &pattern, int channels, int row, int channel) {
    return pattern.cells[static_cast<std::size_t>(row * channels + channel)];
}

bool xm_check(const XmModule &m, std::string &error) {
    error.clear();
    if (m.channels < 1 || m.channels > kXmMaxChannels) error = "channels outside 1..32";
    else if (m.speed < 1 || m.speed > 31) error = "speed outside 1..31";
    else if (m.tempo < 32 || m.tempo > 255) error = "tempo outside 32..255";
    else if (m.orders.empty() || m.orders.size() > kXmMaxOrders) error = "order list must hold 1 to 256 entries";
    else if (m.restart < 0 || m.restart >= static_cast<int>(m.orders.size())) error = "restart position past the order list";
    else if (m.patterns.empty() || m.patterns.size() > kXmMaxPatterns) error = "1 to 256 patterns";
    else if (m.instruments.size() > kXmMaxInstruments) error = "at most 128 instruments";
    if (!error.empty()) return false;
    for (int o : m.orders)
        if (o < 0 || o >= static_cast<int>(m.patterns.size())) {
            error = "order list names pattern " + std::to_string(o) + ", which does not exist";
            return false;
        }
    for (std::size_t i = 0; i < m.patterns.size(); ++i) {
        const XmPattern &p = m.patterns[i];
        if (p.rows < 1 || p.rows > kXmMaxRows ||
            p.cells.size() != static_cast<std::size_t>(p.rows * m.channels)) {
            error = "pattern " + std::to_string(i) + " has a wrong size";
            return false;
        }
        for (const XmCell &c : p.cells) {
            if (c.note > kXmKeyOff || c.instrument > m.instruments.size() ||
                (c.volume != 0 && (c.volume < 0x10 || c.volume > 0x50)) || c.effect > 35) {
                error = "pattern " + std::to_string(i) + " holds a cell the format cannot play";
                return false;
            }
        }
    }
    for (std::size_t i = 0; i < m.instruments.size(); ++i)
        if (!check_instrument(m.instruments[i], static_cast<int>(i + 1), error)) return false;
    return true;
}

std::vector<std::uint8_t> xm_bytes(const XmModule &m) {
    std::vector<std::uint8_t> b;
    put_text(b, "Extended Module: ", 17);
    put_text(b, m.name, kXmNameLength);
    put8(b, 0x1a);
    put_text(b, "vespertil-xm", 20);
    put16(b, 0x0104);
    put32(b, kHeaderSize);
    put16(b, static_cast<std::uint32_t>(m.orders.size()));
    put16(b, static_cast<std::uint32_t>(m.restart));
    put16(b, static_cast<std::uint32_t>(m.channels));
    put16(b, static_cast<std::uint32_t>(m.patterns.size()));
    put16(b, static_cast<std::uint32_t>(m.instruments.size()));
    put16(b, 1);  // linear frequency table
    put16(b, static_cast<std::uint32_t>(m.speed));
    put16(b, static_cast<std::uint32_t>(m.tempo));
    for (int i = 0; i < kXmMaxOrders; ++i)
        put8(b, i < static_cast<int>(m.orders.size()) ? m.orders[static_cast<std::size_t>(i)] : 0);
    for (const XmPattern &p : m.patterns) put_pattern(b, p);
    for (const XmInstrument &in : m.instruments) {
        put_instrument(b, in);
        put_sample_data(b, in);
    }
    return b;
}

double xm_length_seconds(const XmModule &m) {
    double seconds = 0;
    int speed = m.speed, tempo = m.tempo;
    for (int o : m.orders) {
        const XmPattern &p = m.patterns[static_cast<std::size_t>(o)];
        for (int row = 0; row < p.rows; ++row) {
            for (int ch = 0; ch < m.channels; ++ch) {
                const XmCell &c = p.cells[static_cast<std::size_t>(row * m.channels + ch)];
                if (c.effect == 0x0f && c.param > 0) {
                    if (c.param < 0x20) speed = c.param;
                    else tempo = c.param;
                }
            }
            seconds += speed * 2.5 / tempo;
        }
    }
    return seconds;
}
