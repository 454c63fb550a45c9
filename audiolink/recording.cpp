// Recording: the recording calls of "BASS.DLL" handed through. The two name
// queries copy the library's text into a string of the caller's, so nothing
// the application holds points into the library.
#include "audiolink.h"

#include "bass_binding.h"
#include "byte_strings.h"

using namespace audiolink;
using namespace audiolink::bass;

namespace {

// The library's text as a new string; empty (never null) when the library,
// the entry point or the text is missing, which ends a walk over numbers.
BSTR CopiedName(const char *text)
{
    return text ? BASSSTRINGFROMPTR(text) : NewByteString({});
}

} // namespace

extern "C" {

BOOL __stdcall BASSRECORDINIT(int device)
{
    return CallOr<entry::BASS_RecordInit>(FALSE, device);
}

BOOL __stdcall BASSRECORDSETDEVICE(DWORD device)
{
    return CallOr<entry::BASS_RecordSetDevice>(FALSE, device);
}

DWORD __stdcall BASSRECORDGETDEVICE(void)
{
    return CallOr<entry::BASS_RecordGetDevice>(0);
}

DWORD __stdcall BASSRECORDSTART(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3, DWORD_PTR value4)
{
    return CallOr<entry::BASS_RecordStart>(0, value1, value2, value3, value4);
}

BOOL __stdcall BASSRECORDFREE(void)
{
    return CallOr<entry::BASS_RecordFree>(FALSE);
}

BOOL __stdcall BASSRECORDSETINPUT(int input, DWORD setting)
{
    return CallOr<entry::BASS_RecordSetInput>(FALSE, input, setting);
}

DWORD __stdcall BASSRECORDGETINPUT(int input)
{
    return CallOr<entry::BASS_RecordGetInput>(0, input);
}

BSTR __stdcall BASSRECORDGETINPUTNAME(int input)
{
    return CopiedName(CallOr<entry::BASS_RecordGetInputName>(nullptr, input));
}

BSTR __stdcall BASSRECORDGETDEVICEDESCRIPTION(DWORD device)
{
    return CopiedName(CallOr<entry::BASS_RecordGetDeviceDescription>(nullptr, device));
}

} // extern "C"
