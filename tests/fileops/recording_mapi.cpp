// A stand-in for the mail system's MAPI32.DLL: MAPISendDocuments writes what
// it was given to the file named by OMMAVU_MAPI_RECORD (delimiter, paths and
// names, one per line, then the size of each attached file at the call) and
// answers with OMMAVU_MAPI_RESULT (0 when unset).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" ULONG WINAPI MAPISendDocuments(ULONG_PTR ui, LPSTR delimiter, LPSTR paths, LPSTR names, ULONG reserved) {
    char record[MAX_PATH] = "";
    if (GetEnvironmentVariableA("OMMAVU_MAPI_RECORD", record, sizeof record)) {
        if (FILE* out = fopen(record, "wb")) {
            fprintf(out, "%s\n%s\n%s\n%lu\n%d\n", delimiter ? delimiter : "(null)", paths ? paths : "(null)",
                    names ? names : "(null)", static_cast<unsigned long>(reserved), ui != 0);
            // What each attachment held at the call: its size, -1 when missing.
            const char separator = delimiter && *delimiter ? *delimiter : ';';
            for (const char* p = paths; p && *p;) {
                const char* end = strchr(p, separator);
                char path[MAX_PATH] = "";
                const size_t length = end ? static_cast<size_t>(end - p) : strlen(p);
                if (length < sizeof path) memcpy(path, p, length);
                WIN32_FILE_ATTRIBUTE_DATA data;
                const long size = GetFileAttributesExA(path, GetFileExInfoStandard, &data)
                                      ? static_cast<long>(data.nFileSizeLow) : -1L;
                fprintf(out, "%s%ld", p == paths ? "" : ";", size);
                p = end ? end + 1 : p + length;
            }
            fprintf(out, "\n");
            fclose(out);
        }
    }
    char result[16] = "";
    if (GetEnvironmentVariableA("OMMAVU_MAPI_RESULT", result, sizeof result)) return strtoul(result, nullptr, 10);
    return 0;
}
