#include "app/FileTypes.h"

#include "files/3ds/ThreeDsFile.h"
#include "files/cob/CobFile.h"
#include "files/dxf/DxfFile.h"
#include "files/obj/ObjFile.h"
#include "files/scene/SceneFile.h"
#include "files/stl/StlFile.h"
#include "files/vrml/VrmlFile.h"
#include "files/x/XFile.h"

#include <array>
#include <cctype>

namespace corvid {

namespace {

// Every format Auto-Detect offers, as its dialog lists them. Formats without
// a reader are taken out by AutoDetectFilter.
constexpr const char* kKnownFormatsFilter =
    "Known Formats (*.x;*.3ds;*.prj;*.cob;*.obj:*.slp:*.wrl:*.dxf;*.stl)|*.x;*.3ds;*.prj;*.cob;*.obj:*.slp:*.wrl:*.dxf;*.stl|"
    "DirectX (*.x)|*.x|3DS4 Object (*.3ds)|*.3ds|3DS4 Project (*.prj)|*.prj|TrueSpace (*.cob)|*.cob|"
    "WaveFront (*.slp)|*.slp|VRML 2 (*.wrl)|*.wrl|AutoCAD 12/13 (*.dxf)|*.dxf|Stereolithography (*.stl)|*.stl|"
    "All Files (*.*)|*.*||";

const std::array kTypes{
    FileType{"*.cvd", ".cvd", "Corvid (*.cvd)|*.cvd||", "Corvid (*.cvd)|*.cvd||", LoadScene, SaveScene, true, 0,
             nullptr, 0, nullptr},
    FileType{"*.x", ".x", "DirectX   (*.x)  |*.x||", nullptr, ImportX, nullptr, false, kCmdImportX, "DirectX .x ...",
             0, nullptr, false},
    FileType{"*.3ds", ".3ds", "3D Studio (*.3ds)|*.3ds||", "3D Studio (*.3ds)|*.3ds||", Import3ds, Export3ds, false,
             kCmdImport3ds, "3D Studio 4 .3ds ...", kCmdExport3ds, "3D Studio 4 .3ds ..."},
    FileType{"*.prj", ".prj", "3D Studio (*.prj)|*.prj||", nullptr, Import3ds, nullptr, false, kCmdImportPrj,
             "3D Studio .prj ...", 0, nullptr},
    FileType{"*.cob", ".cob", "TrueSpace (*.cob)|*.cob||", nullptr, ImportCob, nullptr, false, kCmdImportCob,
             "TrueSpace .cob ...", 0, nullptr},
    FileType{"*.obj", ".obj", "WaveFront (*.obj)|*.obj||", nullptr, ImportObj, nullptr, false, kCmdImportObj,
             "Wavefront .obj ...", 0, nullptr},
    FileType{"*.slp", ".slp", "ProEngineer (*.slp)|*slp||", nullptr, ImportStl, nullptr, false, kCmdImportSlp,
             "ProEngineer .slp ...", 0, nullptr},
    FileType{"*.wrl", ".wrl", "Vrml (*.wrl)|*wrl||", "VRML      (*.wrl)|*.wrl||", ImportVrml, ExportVrml, false,
             kCmdImportVrml, "VRML 2.0 .wrl, own exports only ...", kCmdExportVrml, "VRML 2.0 .wrl ..."},
    FileType{"*.dxf", ".dxf", "Dxf (*.dxf)|*dxf||", nullptr, ImportDxf, nullptr, false, kCmdImportDxf,
             "AutoCad R13 .dxf ...", 0, nullptr},
    FileType{"*.stl", ".stl", "Stereolithography (*.stl)|*.stl||", nullptr, ImportStl, nullptr, false,
             kCmdImportStl, "Stereolithography .stl ...", 0, nullptr},
};

bool Readable(const std::string& pattern)
{
    if (pattern == "*.*")
        return true;
    const FileType* type = FileTypeForPattern(pattern);
    return type && type->read;
}

// The patterns of a list ("*.x;*.3ds:*.obj") that can be read, each kept
// with the separator in front of it.
std::string ReadablePatterns(const std::string& list)
{
    std::string kept;
    size_t start = 0;
    char separator = 0;
    while (start <= list.size()) {
        const size_t end = list.find_first_of(";:", start);
        const std::string pattern = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (Readable(pattern)) {
            if (!kept.empty())
                kept += separator;
            kept += pattern;
        }
        if (end == std::string::npos)
            break;
        separator = list[end];
        start = end + 1;
    }
    return kept;
}

} // namespace

std::span<const FileType> FileTypes()
{
    return kTypes;
}

const FileType& SceneFileType()
{
    return kTypes.front();
}

const FileType* FileTypeForPattern(const std::string& pattern)
{
    for (const FileType& type : kTypes)
        if (pattern == type.pattern)
            return &type;
    return nullptr;
}

const FileType* FileTypeForCommand(int command)
{
    if (command == 0)
        return nullptr;
    for (const FileType& type : kTypes)
        if (command == type.importCommand || command == type.exportCommand)
            return &type;
    return nullptr;
}

const FileType* FileTypeForName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot <= start)
        return nullptr;  // no extension (".hidden" has none either)
    std::string extension = path.substr(dot);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const FileType& type : kTypes)
        if (extension == type.extension)
            return &type;
    return nullptr;
}

std::string AutoDetectFilter()
{
    // Pairs of description and pattern list, closed by an empty pair. A pair
    // whose description names its own pattern list in parentheses gets the
    // shortened list there too.
    const std::string all = kKnownFormatsFilter;
    std::string filter;
    size_t at = 0;
    while (at < all.size()) {
        const size_t bar = all.find('|', at);
        const size_t next = bar == std::string::npos ? std::string::npos : all.find('|', bar + 1);
        if (bar == std::string::npos || next == std::string::npos || bar == at)
            break;
        std::string description = all.substr(at, bar - at);
        const std::string patterns = all.substr(bar + 1, next - bar - 1);
        at = next + 1;
        const std::string kept = ReadablePatterns(patterns);
        if (kept.empty())
            continue;
        const std::string named = "(" + patterns + ")";
        if (description.size() >= named.size() &&
            description.compare(description.size() - named.size(), named.size(), named) == 0)
            description = description.substr(0, description.size() - named.size()) + "(" + kept + ")";
        filter += description + "|" + kept + "|";
    }
    return filter + "|";
}

} // namespace corvid
