#pragma once
// A fresh folder under the system's temporary directory, removed with all it
// holds when its owner goes. A forked child that inherits one never removes it.

#include <string>

struct ScratchDir {
    explicit ScratchDir(const std::string& tag = "morvik");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string file(const std::string& name) const { return path + "/" + name; }
    std::string path;

  private:
    int owner;
};

// Whole files as bytes; writeFile returns the path it wrote.
std::string writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
