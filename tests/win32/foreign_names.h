// Folder and file names outside code page 1252, shared by the tests of the
// modules in hosts of every code page.
#pragma once
#include <string>

namespace foreignnames {

const std::wstring kEvening = L"\x0412\x0435\x0447\x0435\x0440\x043d\x0438\x0439 \x0442\x043e\x043d"; // Вечерний тон
const std::wstring kGreek = L"\x039c\x03bf\x03c5\x03c3\x03b9\x03ba\x03ae"; // Μουσική: σ best-fits to s
const std::wstring kJapanese = L"\x97f3\x697d";                            // 音楽, three bytes each in UTF-8
const std::wstring kNote = L"Note \xd83c\xdfb5";                           // Note 🎵, a surrogate pair
const std::wstring kCombining = L"Cafe\x0301";                             // Café, e + combining acute
const std::wstring kFullwidthSolidus = L"Keep\xff3cInner";                 // Keep＼Inner: best-fits to Keep\Inner

} // namespace foreignnames
