#pragma once
// Where the program keeps its files: the program folder and the four work folders in it.

#include <QString>
#include <string>

struct WorkFolders
{
    std::string program; // ends with a separator
    std::string rulers;  // the four work folders end without one
    std::string language;
    std::string captures;
    std::string records;

    static WorkFolders under(const std::string& programFolder);
};

// A file name in a stored folder, which may or may not end with a separator.
inline std::string inFolder(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

// KWZVIEW_HOME, else the executable's folder when it is writable, else the user's data folder;
// ends with a separator.
QString programFolderPath();
// Fills a zeroed buffer of at least 260 bytes with the program folder (cut to 259 bytes) and
// returns the length of that text.
int GetProgramFolder(char* out);
// True at once when the path exists; otherwise creates that one folder and says whether it could.
bool CreateFolderIfMissing(const char* path);
