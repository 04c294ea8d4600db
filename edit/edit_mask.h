// The edit mask of a field or an edit box: a fixed row of character positions
// and literals that the user types over, separate from the Paradox picture
// (which describes a value rather than positions). A mask text has up to
// three parts separated by ";":
//
//   positions ; save-literals ; blank
//
// positions: L letter, A letter or digit, C any character, 0 digit (these
// must be filled); l, a, c, 9 the same but optional; # an optional digit,
// "+" or "-"; ">" upper-cases the letters after it, "<" lower-cases them,
// "<>" ends either; ":" and "/" stand for the locale's time and date
// separators; "!" puts a short value at the right of its optional positions
// rather than the left; "\" makes the next character a literal; any other
// character is a literal.
// save-literals: "1" (the default) stores the literals with the value, "0"
// stores only what was typed.
// blank: the one character shown in a position not yet typed into ("_" by
// default).
//
// Texts are 8-bit, in the table's code page: every position holds one byte.
// A shown text always has exactly one byte per position. Everything here is
// free of widgets so that the edit box and the grid's editor can share it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace toolkit {
class TextCodec;
struct LocaleSettings;
}  // namespace toolkit

namespace edit {

class EditMask {
 public:
  enum class Accepts { kLiteral, kLetter, kLetterOrDigit, kAny, kDigit, kDigitOrSign };
  enum class Case { kAsTyped, kUpper, kLower };
  struct Position {
    Accepts accepts = Accepts::kLiteral;
    bool required = false;
    Case caseRule = Case::kAsTyped;
    char literal = 0;
  };

  // The mask of a text, or none with *error saying what is wrong with it.
  // The codec gives the table's letters and their case (ASCII when null).
  static std::optional<EditMask> Parse(const std::string& text,
                                       const toolkit::LocaleSettings& locale,
                                       const toolkit::TextCodec* codec, std::string* error);

  const std::vector<Position>& Positions() const { return positions_; }
  bool SaveLiterals() const { return saveLiterals_; }
  char Blank() const { return blank_; }

  // The text shown for editing a stored value; none when the value does not
  // fit the mask (it is then edited without it, so nothing of it is lost).
  std::optional<std::string> Format(const std::string& value) const;
  // The value stored for a shown text: the typed characters, with the
  // literals when they are saved; empty when nothing was typed.
  std::string Value(const std::string& shown) const;
  // Every required position filled, or nothing typed at all.
  bool Complete(const std::string& shown) const;

  // What a key does to the shown text. Typing overwrites; literals are
  // stepped over; the caret lands behind the literals that follow.
  struct Edit {
    std::string text;
    int caret = 0;
    bool refused = false;  // nothing changed; the key beeps
  };
  Edit Type(const std::string& shown, int selStart, int selLength, char key) const;
  Edit Backspace(const std::string& shown, int selStart, int selLength) const;
  Edit Delete(const std::string& shown, int selStart, int selLength) const;
  // Pasting types the text's characters in turn, skipping those no position
  // takes; refused when none is taken.
  Edit Paste(const std::string& shown, int selStart, int selLength, const std::string& text) const;

 private:
  // The character as the position stores it (case applied), or none.
  std::optional<char> Fit(const Position& position, char c) const;
  bool Editable(size_t i) const { return positions_[i].accepts != Accepts::kLiteral; }
  std::string Blanked(const std::string& shown, int selStart, int selLength) const;
  int SkipLiterals(const std::string& shown, int from) const;
  std::optional<std::string> Place(const std::string& value, bool fromRight) const;

  std::vector<Position> positions_;
  bool saveLiterals_ = true;
  char blank_ = '_';
  bool rightAligned_ = false;
  const toolkit::TextCodec* codec_ = nullptr;
};

}  // namespace edit
