// The library's last error code, and its sentence.
#include "audiolink.h"

#include "bass_binding.h"
#include "byte_strings.h"
#include "error_sentences.h"
#include "media_state.h"

using namespace audiolink;

extern "C" {

int __stdcall BASSERRORGETCODE(void)
{
    if (!ModuleTable.BassModule)
        return 0;
    // Unlike the other exports, a missing entry point is told apart from
    // "no error".
    auto errorGetCode = bass::Find<bass::entry::BASS_ErrorGetCode>();
    return errorGetCode ? errorGetCode() : -1;
}

BSTR __stdcall BASSERRORDESCRIPTION(DWORD code)
{
    return NewByteString(ErrorSentence(code));
}

} // extern "C"
