// A temporary folder for one test, removed with everything in it afterwards.
#ifndef FOLVANE_TESTS_POSIX_TEMP_FOLDER_H
#define FOLVANE_TESTS_POSIX_TEMP_FOLDER_H

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct TempFolder {
    std::string path; // ends with '/'

    TempFolder()
    {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/winshim-XXXXXX";
        path = std::string(mkdtemp(&pattern[0])) + "/";
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }

    std::string Put(const std::string& name, const std::string& content, mode_t mode = 0644) const
    {
        std::string file = path + name;
        std::ofstream(file, std::ios::binary) << content;
        chmod(file.c_str(), mode);
        return file;
    }
    // The content of a file; empty for anything that is not a readable file.
    static std::string Read(const std::string& file)
    {
        if (!std::filesystem::is_regular_file(file))
            return std::string();
        std::ifstream in(file, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    // The names in the folder, "." and ".." left out.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

#endif
