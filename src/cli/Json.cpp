#include "cli/Json.h"

#include "scene/SceneSummary.h"

#include <cstdint>
#include <cstdio>

namespace corvid {

namespace {

// The length of the valid UTF-8 sequence at the start of text, or 0. Refuses
// overlong forms, surrogates and code points past U+10FFFF.
size_t Utf8SequenceLength(std::string_view text)
{
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(0);
    size_t length;
    uint32_t code;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u)
            return 0;
        code = (code << 6) | (byte(i) & 0x3Fu);
    }
    const uint32_t smallest = length == 2 ? 0x80u : length == 3 ? 0x800u : 0x10000u;
    if (code < smallest || code > 0x10FFFFu || (code >= 0xD800u && code <= 0xDFFFu))
        return 0;
    return length;
}

void AppendNumberField(std::string& out, const char* name, int value, bool last = false)
{
    out += '"';
    out += name;
    out += "\": ";
    out += std::to_string(value);
    if (!last)
        out += ", ";
}

} // namespace

void AppendJsonString(std::string& out, std::string_view text)
{
    out += '"';
    while (!text.empty()) {
        const char c = text.front();
        size_t used = 1;
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<uint8_t>(c) < 0x20 || c == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else if (const size_t length = Utf8SequenceLength(text); length > 0) {
                out.append(text.substr(0, length));
                used = length;
            } else {
                out += "\\ufffd";
            }
        }
        text.remove_prefix(used);
    }
    out += '"';
}

std::string SceneSummaryJson(const SceneSummary& summary)
{
    std::string out = "{\"objects\": [";
    bool first = true;
    for (const ObjectSummary& object : summary.objects) {
        out += first ? "\n  {" : ",\n  {";
        first = false;
        out += "\"name\": ";
        AppendJsonString(out, object.name);
        out += ", \"kind\": ";
        AppendJsonString(out, object.kindName);
        out += ", \"parent\": ";
        if (object.topLevel)
            out += "null";
        else
            AppendJsonString(out, object.parent);
        out += ", ";
        AppendNumberField(out, "vertices", object.vertices);
        AppendNumberField(out, "faces", object.faces);
        AppendNumberField(out, "keys", object.keys, true);
        out += '}';
    }
    out += summary.objects.empty() ? "],\n" : "\n],\n";
    const SceneTotals& t = summary.totals;
    out += "\"totals\": {";
    AppendNumberField(out, "objects", t.objects);
    AppendNumberField(out, "meshes", t.meshes);
    AppendNumberField(out, "vertices", t.vertices);
    AppendNumberField(out, "faces", t.faces);
    AppendNumberField(out, "materials", t.materials);
    AppendNumberField(out, "lights", t.lights);
    AppendNumberField(out, "cameras", t.cameras);
    AppendNumberField(out, "keys", t.keys, true);
    out += "}}\n";
    return out;
}

} // namespace corvid
