#pragma once
// The items of the window's lists whose text is a choice: the window shows
// them, init.ini stores them, and the options are read off them.

namespace settings {

// ComboBox1: how the files are placed.
inline constexpr char16_t kStackedItem[] = u"Собрать по вертикали ";
inline constexpr char16_t kSideBySideItem[] = u"Собрать по горизонтали ";
// kSideBySideItem in Windows-1251, as init.ini holds it.
inline constexpr char kSideBySideIni[] = "\xD1\xEE\xE1\xF0\xE0\xF2\xFC \xEF\xEE "
                                         "\xE3\xEE\xF0\xE8\xE7\xEE\xED\xF2\xE0\xEB\xE8 ";

// ComboBox3 "Кодировка файлов": what the source files are taken to be.
inline constexpr char16_t kCp1251Item[] = u"Windows-1251";
inline constexpr char16_t kUtf8Item[] = u"UTF-8";
inline constexpr char16_t kDetectItem[] = u"Определять для каждого файла";
// Added after the first three, so that their places stay.
inline constexpr char16_t kUtf16LeItem[] = u"UTF-16 LE";
inline constexpr char16_t kUtf16BeItem[] = u"UTF-16 BE";
inline constexpr char16_t kCp866Item[] = u"CP866";
inline constexpr char16_t kKoi8rItem[] = u"KOI8-R";

} // namespace settings
