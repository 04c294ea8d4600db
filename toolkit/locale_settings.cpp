#include "locale_settings.h"

namespace toolkit {

// Latin-1 letters: 0xC0-0xDE and 0xE0-0xFE pair up by 0x20, except the
// multiplication and division signs (0xD7, 0xF7) and the sharp s (0xDF),
// which has no one-byte capital.
unsigned char LocaleSettings::asciiLatin1Upper(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  return c;
}

unsigned char LocaleSettings::asciiLatin1Lower(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  return c;
}

namespace {
LocaleSettings& current() {
  static LocaleSettings settings;
  return settings;
}
unsigned long generation = 0;
}  // namespace

const LocaleSettings& localeSettings() {
  return current();
}
void setLocaleSettings(const LocaleSettings& settings) {
  current() = settings;
  ++generation;
}
unsigned long localeSettingsGeneration() {
  return generation;
}

}  // namespace toolkit
