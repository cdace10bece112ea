// The Help item: in the host's "UsingExtensions" menu; choosing it opens
// the plug-in's help file for the host's language, or says it is missing.
#pragma once

#include "Exchange/XCHG/XCHG_AVMenuItemObj.h"

#include <string>

class XCHG_HelpMenuItem : public XCHG_AVMenuItemObj {
public:
    ~XCHG_HelpMenuItem() override { Destroy(); }

    // fileName is kept, not copied.
    void Create(uint32_t titleStringId, const char* fileName);
    void Destroy();
    void Execute() override;

    // A host display path in platform form: "/" becomes "\", and a leading
    // "\X\" becomes "X:\".
    static std::string PlatformPath(std::string path);

private:
    const char* m_fileName = nullptr;
};
