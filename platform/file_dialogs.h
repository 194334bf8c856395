#pragma once
// Native open-file and save-file dialogs, run as a child process: zenity (the
// GTK dialog tool) or else kdialog. The caller waits for the result while an
// event pump keeps its window answering; no shell ever sees a path.
//
// Filters come in pairs: a description, then its patterns separated by
// spaces, e.g. {"Model files (.obj .off)", "*.obj *.off", "All files", "*"}.

#include <functional>
#include <string>
#include <vector>

// Called repeatedly while a dialog is open (for instance to let the window
// system deliver its events); it should block briefly, not spin.
using EventPump = std::function<void()>;

// The chosen paths; empty when cancelled or when no dialog tool exists.
std::vector<std::string> openFileDialog(const std::string& title, const std::string& startPath,
                                        const std::vector<std::string>& filters,
                                        const EventPump& pump = {});

// The chosen path; empty when cancelled or when no dialog tool exists.
std::string saveFileDialog(const std::string& title, const std::string& startPath,
                           const std::vector<std::string>& filters, const EventPump& pump = {});

// `path` made absolute against the current directory, "." and ".." resolved,
// a trailing separator kept; the current directory when that fails.
std::string absoluteStartPath(const std::string& path);

// The argument vectors (program name first) for each tool. A start path that
// ends in "/" opens that folder; otherwise it preselects that file.
enum class DialogKind { Open, Save };
std::vector<std::string> zenityArguments(DialogKind kind, const std::string& title,
                                         const std::string& startPath,
                                         const std::vector<std::string>& filters);
std::vector<std::string> kdialogArguments(DialogKind kind, const std::string& title,
                                          const std::string& startPath,
                                          const std::vector<std::string>& filters);

// The full path of an executable found on PATH, or empty.
std::string findOnPath(const std::string& program);
