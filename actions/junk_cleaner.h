// The junk cleaning itself: the companion batch QLLJ.bat runs the program as
// "Tempiro.exe /clean", and the program empties the temporary folders and
// writes the list of what it removed to its standard output, which the batch
// sends into the list file. The decisions are made here; the folders are
// reached through a seam, the Win32 one in junk_cleaner_win32.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The temporary folders as the cleaning reaches them. Folders are held on a
// stack, from the folder being cleaned down to the one being worked in. Only
// a root is ever opened by its path; everything below it is opened by its
// name relative to the innermost held folder's handle, so that no folder
// swapped for a junction on the way can lead the cleaning elsewhere. Each
// opened handle is checked (CheckChild) before anything is done through it.
class JunkFolders {
public:
    enum class Opened { Held, Missing, Link, Refused };
    struct Entry {
        std::wstring name;
        bool folder = false;
        bool link = false;  // a junction, symbolic link or any other reparse point
    };
    virtual ~JunkFolders() = default;
    // %TEMP% and the Windows folder's Temp, as full paths; empty when unknown.
    virtual std::wstring UserTemp() = 0;
    virtual std::wstring WindowsTemp() = 0;
    // Opens a root by its full path without following a link; only a folder
    // that is no link is held (Held). Missing: nothing, or a file, is there.
    virtual Opened HoldRoot(const std::wstring& path) = 0;
    // The same for the subfolder `name` of the innermost held folder, opened
    // relative to it; one that is not where its name says is Refused.
    virtual Opened HoldChild(const std::wstring& name) = 0;
    // The entries of the innermost held folder, without "." and "..".
    virtual std::vector<Entry> ListHeld() = 0;
    // Whether the innermost held folder is still a folder and no link: a
    // folder emptied while held can be made a junction all the same.
    virtual bool HeldIntact() = 0;
    // Lets go of the innermost held folder.
    virtual void Release() = 0;
    // Removes the file `name` of the innermost held folder through a handle
    // opened relative to it, never a link or what one points to; true when
    // it is gone. A file in use stays.
    virtual bool RemoveFile(const std::wstring& name) = 0;
};

// Only a folder whose last name is "Temp", in any case, is cleaned, so that a
// TEMP variable pointing elsewhere never has other files deleted.
bool IsTemporaryFolder(const std::wstring& path);

// Removes every file below %TEMP% and the Windows folder's Temp (that one
// skipped when it is the same folder), entering no link, and writes the list
// a line at a time. Folders stay. The number of files removed.
int CleanJunk(JunkFolders& folders, const std::function<void(const std::wstring&)>& writeLine);
