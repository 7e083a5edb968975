#pragma once
// The file types the File menu reads and writes. A type's pattern ("*.3ds")
// is the key of the whole flow: it picks the dialogs' filters, the options
// dialog's starting states, the working folders and the reader or writer.

#include "scene/ImportOptions.h"

#include <span>
#include <string>

namespace corvid {

struct Document;

// The import and export commands of the main menu.
constexpr int kCmdAutoDetect = 32786;
constexpr int kCmdImportX = 32784;
constexpr int kCmdImport3ds = 32785;
constexpr int kCmdImportPrj = 32957;
constexpr int kCmdImportVrml = 32827;
constexpr int kCmdImportCob = 32787;
constexpr int kCmdImportObj = 32829;
constexpr int kCmdImportSlp = 32954;
constexpr int kCmdImportDxf = 32828;
constexpr int kCmdImportStl = 32958;
constexpr int kCmdExport3ds = 32914;
constexpr int kCmdExportVrml = 33066;

// Reads the file at path into the scene, or writes the scene to it; true on
// success. Problems are shown through the scene's Ui.
using DocumentReader = bool (*)(Document& document, const std::string& path, const ImportOptions& options);
using DocumentWriter = bool (*)(Document& document, const std::string& path, const ImportOptions& options);

struct FileType {
    const char* pattern;      // "*.cvd"
    const char* extension;    // ".cvd": what a written name must end in
    const char* openFilter;   // the open dialog's filter ("Name (*.x)|*.x||")
    const char* saveFilter;   // the save dialog's; null when the type is not written
    DocumentReader read;      // null: not read
    DocumentWriter write;     // null: not written
    bool isScene;             // the scene file: Load and Save Scene as, the Scenes folders
    int importCommand;        // 0: no Import Geometry item
    const char* importItem;
    int exportCommand;        // 0: no Export Geometry item
    const char* exportItem;
    // Whether the import options dialog is asked; without it a file is
    // merged with the dialog's starting choice.
    bool optionsDialog = true;
};

// Every type, the scene file first, then in the order of the Import
// Geometry menu.
std::span<const FileType> FileTypes();
const FileType& SceneFileType();
// The type with this pattern, or with this import or export command; null
// when there is none.
const FileType* FileTypeForPattern(const std::string& pattern);
const FileType* FileTypeForCommand(int command);
// The type whose extension the file name's last component ends in, in any
// case ("part.OBJ" is an OBJ file); null when none does.
const FileType* FileTypeForName(const std::string& path);

// The Auto-Detect dialog's filter: every format the program knows, less
// those it cannot read.
std::string AutoDetectFilter();

} // namespace corvid
