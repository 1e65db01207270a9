// The process's ANSI code page and its lead-byte test. The path utilities step over a
// two-byte character whose first byte passes IsLeadByte, so both must agree on one code page.
#pragma once

namespace platform {

// 932 (Shift_JIS), 936 (GBK), 949 (UHC), 950 (Big5), or 1252 for every single-byte set.
int GetCodePage();
// Sets the code page directly (tests); a value other than 932/936/949/950 means single-byte.
void SetCodePage(int codePage);
// Takes LC_CTYPE from the environment and sets the matching code page.
void SetCodePageFromLocale();
// True when the byte begins a two-byte character in the current code page.
bool IsLeadByte(unsigned char byte);
// The code page a locale's character set name stands for ("SJIS", "GBK", "UTF-8", ...).
int CodePageForCharset(const char* charset);

} // namespace platform
