// The update manifest (update.ini, Local.ini) and its file entries.
#ifndef TEVELA_MANIFEST_H
#define TEVELA_MANIFEST_H

#include "Utils.h"

// Section and key names of the version files.
#define MANIFEST_SECTION_UPDATE   L"UPDATE"
#define MANIFEST_KEY_VERSION      L"VERSION"
#define MANIFEST_KEY_TYPE         L"TYPE"
#define MANIFEST_SECTION_STRATEGY L"STRATEGY"
#define MANIFEST_KEY_PROVINCE     L"PROVINCE"
#define MANIFEST_KEY_CITY         L"CITY"
#define MANIFEST_KEY_PERCENT      L"PERCENT"
#define MANIFEST_KEY_TIME         L"TIME"
#define MANIFEST_KEY_OS           L"OS"
#define MANIFEST_SECTION_FILES    L"FILES"
#define MANIFEST_KEY_COUNT        L"COUNT"
#define MANIFEST_KEY_FILE_FORMAT  L"FILE%d"
#define CLIENT_SECTION            L"Update"     // the client's own values (Local.ini, localinfo.ini)
#define CLIENT_KEY_PERCENT        L"Percent"
#define CLIENT_KEY_PROVINCE       L"Province"
#define CLIENT_KEY_CITY           L"City"
#define SERVER_SECTION            L"CLIENT"     // server.ini
#define SERVER_KEY                L"SERVER"
#define UPFLAG_SECTION_REGISTER   L"Register"   // upflag.ini
#define UPFLAG_SECTION_RUNEXE     L"RunExe"
#define UPFLAG_FILE_NAME          L"upflag.ini"

// One "FILE<n>" entry of [FILES]: "url;md5;folder".
struct ManifestFileEntry
{
    GString url;        // as written (no scheme in the shipped manifests)
    GString md5;        // 32 lower-case hex digits, compared as text
    GString folder;     // relative to the installation folder, leading '\'
    GString name;       // text after the last '/' of url (the whole url without '/')
    GString finalPath;  // modulePath + folder + name, nothing added between
};

enum ManifestEntryResult
{
    ENTRY_OK = 0,
    ENTRY_TOO_FEW_FIELDS = 1,   // fewer than three non-empty pieces
    ENTRY_BAD_NAME = 2,         // empty, or '\', '/', ':', "..", a device name
    ENTRY_BAD_FOLDER = 3,       // no leading '\', a ':' or a ".." segment
    ENTRY_OUTSIDE = 4,          // the full path is not inside modulePath
    ENTRY_TOO_LONG = 5          // final path + ".new" would reach 260 units
};

// Splits value at ';' into its non-empty pieces and uses the first three.
// modulePath is the installation folder without a trailing '\'. Any result
// but ENTRY_OK is a malformed entry: nothing may be downloaded for it.
int ParseFileEntry(const GString& value, const GString& modulePath, ManifestFileEntry& out);

#endif
