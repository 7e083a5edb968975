#pragma once
// The File menu's commands on the scene as a whole: New Scene with its save
// question, Load (replacing the scene or merged into it) and Save Scene as,
// with their file dialogs, the options dialog and the working folders. The
// steps below the dialogs are separate, for the command line, recovery and
// tests.

#include "scene/ImportOptions.h"

#include <string>

namespace corvid {

class Editor;
struct FileType;
struct WorkingDirectory;

constexpr const char* kInsufficientMemory = "Insufficient memory to import file.";

// The scene file's filter, as the file dialogs take it.
constexpr const char* kSceneFileFilter = "Corvid (*.cvd)|*.cvd||";
constexpr const char* kSceneFilePattern = "*.cvd";

// The folder a file dialog opens in: the working directory's entry is a
// folder until a file has been chosen, then that file.
std::string DialogFolder(const WorkingDirectory& directory);

// New Scene: asks whether to save a modified scene first. False when the
// person cancelled (or the save they asked for failed): the scene stays.
bool NewSceneCommand(Editor& editor);

// Load ...: a scene file chosen in the file dialog, read with the options
// chosen, replacing the scene (after New Scene's question) or merged into
// it. False when cancelled or when the file could not be read.
bool LoadCommand(Editor& editor);

// Save Scene as ...: true when the scene was written; false when the person
// cancelled or it could not be written (the message has been shown).
bool SaveSceneAsCommand(Editor& editor);

// The common flows of Load and the imports, and of Save Scene as and the
// exports, for one file type: the file dialog with the type's filter in its
// working folder, the options dialog, then the read or write. The import of
// a modified scene that replaces it asks New Scene's question first.
bool LoadOrImport(Editor& editor, const FileType& type);
bool SaveOrExport(Editor& editor, const FileType& type);

// Auto-Detect 3D Format ...: any model file the program reads, its type
// told by the extension (as written: "model.3DS" is not a 3DS file). An
// extension without a reader ends the command quietly.
bool AutoDetectCommand(Editor& editor);

// Runs the File menu's command; false when command is none of them.
bool RunDocumentCommand(Editor& editor, int command);

// Reads path as type: replace empties the scene first. A replacing read of
// the scene file leaves the scene unmodified, with path as its file and an
// empty edit history; any other read is one undoable step. Playback stops
// first. Shows the views afterwards.
bool ReadDocumentFile(Editor& editor, const FileType& type, const std::string& path, const ImportOptions& options,
                      bool replace);

// Writes the scene to path as type, the type's extension appended unless
// path ends in it. The camera light is never written. A save of the whole
// scene to the scene file makes it unmodified and path its file.
bool WriteDocumentFile(Editor& editor, const FileType& type, const std::string& path, const ImportOptions& options);
// The same to exactly path, whatever it ends in.
bool WriteFileAs(Editor& editor, const FileType& type, const std::string& path, const ImportOptions& options);

// The options dialog's starting choice for the type, as a read or a write
// takes it when nobody chose.
ImportOptions DefaultOptions(const FileType& type, bool exporting);

// The options a scene file is loaded and saved with when nobody chose any.
ImportOptions DefaultSceneOptions();

// Reads the scene file at path. replace: the scene is emptied first and
// afterwards holds exactly the file, unmodified and with an empty edit
// history; otherwise the file is merged as one undoable step. Playback
// stops first. Shows the views afterwards.
bool OpenSceneFile(Editor& editor, const std::string& path, const ImportOptions& options, bool replace);

// Writes the scene to path (".cvd" appended unless path ends in it). A
// save of the whole scene makes it unmodified and path its file.
bool SaveSceneFile(Editor& editor, const std::string& path, const ImportOptions& options);

// path with extension (".cvd") appended unless its last four characters
// are exactly the extension.
std::string WithExtension(const std::string& path, const std::string& extension);

} // namespace corvid
