// Kivaro.dll, the shell extension that shows pictures as their own icons.
// Explorer loads it as an in-process COM server (exports 1 and 2, by name);
// the viewer links it only for export ordinal 3, which it calls once at
// start so that the copy of the extension loaded into the viewer's own
// process stays passive.
#pragma once

#include <windows.h>
#include <objbase.h>

enum {
    kKivaroOrdinalCanUnloadNow = 1,
    kKivaroOrdinalGetClassObject = 2,
    kKivaroOrdinalEnterPassiveMode = 3,
};

// The extension's class, as the type registration writes it under CLSID.
#define KIVARO_CLSID_TEXT "{3c9e51a7-6b20-4f8d-9a31-52d7e0c4b816}"
const CLSID CLSID_KivaroIconExtension = {
    0x3c9e51a7, 0x6b20, 0x4f8d, {0x9a, 0x31, 0x52, 0xd7, 0xe0, 0xc4, 0xb8, 0x16}};

extern "C" void WINAPI EnterPassiveMode(void);
extern "C" HRESULT WINAPI DllCanUnloadNow(void);
extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out);
