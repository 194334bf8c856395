#pragma once
// The parameter panel "Morvik": every render parameter as a widget editing its
// field in place, the headers shown as their features are enabled, and the
// three file-dialog buttons. Built every frame the GUI is shown, between the
// GUI frame start and ImGui::End, which the frame loop calls.

#include <string>

// The last mesh chosen in the "Load mesh" dialog; empty until one is chosen.
extern std::string lastMeshPath;
// The start path of both parameter dialogs; empty until the first click.
extern std::string paramsDir;

// Opens the panel window and issues every widget (not ImGui::End).
void drawPanel();

// The three button actions, each waiting for its dialog inside the frame.
void runMeshDialog();
void runLoadParamsDialog();
void runSaveParamsDialog();
