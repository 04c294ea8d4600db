// Time of one MatchPicture (with auto-fill, as an edit control calls it on a
// key stroke) on a 255-character text. The hostile masks are the slowest we
// could construct by hand and by a random search over the mask grammar; each
// is meant to stay under a millisecond, bounded by the matcher's step budget.
#include <benchmark/benchmark.h>

#include <string>

#include "data/picture_validator.h"

namespace {

std::string Repeat(const std::string& part, std::size_t length) {
  std::string text;
  while (text.size() < length) text += part;
  return text.substr(0, length);
}

std::string EveryPrintableAsAlternative() {
  std::string mask = "*{";
  for (char c = ' '; c <= '~'; ++c) {
    if (std::string("#?&~!@;*[]{},").find(c) != std::string::npos) mask += ';';
    mask += c;
    mask += c == '~' ? '}' : ',';
  }
  return mask;
}

// 126 one-character alternatives, as many as a mask holds, the last of them
// typed 255 times.
std::string MostAlternatives() {
  std::string mask = "*{";
  for (int i = 0; i < 126; ++i) {
    const int code = i < 26   ? 'a' + i
                     : i < 52 ? 'A' + i - 26
                     : i < 62 ? '0' + i - 52
                              : 160 + i - 62;
    mask += static_cast<char>(code);
    mask += i == 125 ? '}' : ',';
  }
  return mask;
}

std::string Nested(const std::string& open, const std::string& inner, const std::string& close,
                   int depth) {
  std::string mask;
  for (int i = 0; i < depth; ++i) mask += open;
  mask += inner;
  for (int i = 0; i < depth; ++i) mask += close;
  return mask;
}

std::string Prefixed(char first, std::string rest) {
  rest.insert(rest.begin(), first);
  return rest;
}

void Match(benchmark::State& state, const std::string& mask, const std::string& text) {
  const data::TwwPictureValidator validator(mask, true);
  data::TwwPictureResult result{};
  for (auto _ : state) {
    std::string input = text;
    result = validator.MatchPicture(input, true);
    benchmark::DoNotOptimize(input);
  }
  state.counters["result"] = static_cast<double>(result);
}

const std::string kDigits = Repeat("7", 255);

// Ordinary masks.
BENCHMARK_CAPTURE(Match, telephone, "[(###)]###-####", "(555)123-4567");
BENCHMARK_CAPTURE(Match, capitalised_words, "*{&*?[ ]}", Repeat("big red dog ", 255));
BENCHMARK_CAPTURE(Match, any_digits, "*#", kDigits);

// Hostile masks.
BENCHMARK_CAPTURE(Match, nested_fixed_repetitions_of_nothing, "*255{*255{*255{[a]}}}",
                  Repeat("b", 255));
BENCHMARK_CAPTURE(Match, every_printable_as_alternative, EveryPrintableAsAlternative(),
                  Repeat("~", 255));
BENCHMARK_CAPTURE(Match, most_alternatives, MostAlternatives(),
                  std::string(255, static_cast<char>(160 + 63)));
BENCHMARK_CAPTURE(Match, repetition_chain, Nested("*{", "#", "}", 84), kDigits);
BENCHMARK_CAPTURE(Match, optional_repetition_chain, Nested("*[", "#", "]", 84), kDigits);
BENCHMARK_CAPTURE(Match, deep_groups, Nested("{", "#", "}", 126), kDigits);
BENCHMARK_CAPTURE(Match, deep_optional_groups_after_text_runs_out,
                  Prefixed('#', Nested("[", "#", "]", 126)), "1");
BENCHMARK_CAPTURE(Match, alternatives_that_fail_late,
                  Nested("*{", Repeat("*#a,", 62) + "#", "}", 1), kDigits);
BENCHMARK_CAPTURE(
    Match, random_search_worst,
    "[*b*{*52~,**159*#@,[[ba,!~,#][{!@,{@@b,#b}{b?a,&-~,#?@,-&?}[?],#-b}]{*183 }, [!,b[b{  , "
    "&},!,*7#,[ -!]&]]{[[##,  ,b],a*&]@[ ,*b],#,{@,*-{!  ,-&},~ ~,~*&~},a},! &]}],* *!",
    Repeat("-", 255));

}  // namespace

BENCHMARK_MAIN();
