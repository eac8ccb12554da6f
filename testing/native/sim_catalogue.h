#pragma once
// The message catalogue of the executable's string table, generated at build
// time from messages/catalogue.rc for the native build.
#include <cstddef>
#include <cstdint>

struct SimCatalogueEntry {
    uint32_t nLanguage;
    uint32_t nId;
    const wchar_t* pszText;
};

extern const SimCatalogueEntry SIM_CATALOGUE[];
extern const size_t SIM_CATALOGUE_SIZE;
