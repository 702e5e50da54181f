// A stand-in for the mail system's MAPI32.DLL: MAPISendDocuments writes what
// it was given to the file named by OMMAVU_MAPI_RECORD (delimiter, paths and
// names, one per line) and answers with OMMAVU_MAPI_RESULT (0 when unset).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

extern "C" ULONG WINAPI MAPISendDocuments(ULONG_PTR ui, LPSTR delimiter, LPSTR paths, LPSTR names, ULONG reserved) {
    char record[MAX_PATH] = "";
    if (GetEnvironmentVariableA("OMMAVU_MAPI_RECORD", record, sizeof record)) {
        if (FILE* out = fopen(record, "wb")) {
            fprintf(out, "%s\n%s\n%s\n%lu\n%d\n", delimiter ? delimiter : "(null)", paths ? paths : "(null)",
                    names ? names : "(null)", static_cast<unsigned long>(reserved), ui != 0);
            fclose(out);
        }
    }
    char result[16] = "";
    if (GetEnvironmentVariableA("OMMAVU_MAPI_RESULT", result, sizeof result)) return strtoul(result, nullptr, 10);
    return 0;
}
