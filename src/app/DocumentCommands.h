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

// The scene file's filter, as the file dialogs take it.
constexpr const char* kSceneFileFilter = "Corvid (*.cvd)|*.cvd||";
constexpr const char* kSceneFilePattern = "*.cvd";

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
