#pragma once
// The mesh-loading driver: read and upload a mesh file, analyse the tree
// (contraction, endpoints, root, U field), upload U, frame the mesh.

#include <string>

// Runs on the main thread with the GL context current. A file that cannot be
// read leaves an empty view and the camera as it was; the program goes on.
void loadMesh(std::string path);
