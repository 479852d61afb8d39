// Pieces of the --help texts that the programs share, and their joining at compile time
// into one constant text.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace console {

// The texts joined, as a null-terminated array: string literals and earlier joins.
template <std::size_t N>
constexpr std::string_view view(const char (&text)[N]) {
  return {text, N - 1};
}

template <std::size_t N>
constexpr std::string_view view(const std::array<char, N>& text) {
  return {text.data(), N - 1};
}

template <class T>
struct text_length;
template <std::size_t N>
struct text_length<char[N]> {
  static constexpr std::size_t value = N - 1;
};
template <std::size_t N>
struct text_length<std::array<char, N>> {
  static constexpr std::size_t value = N - 1;
};

template <class... Texts>
constexpr auto join(const Texts&... parts) {
  constexpr std::size_t size = (text_length<Texts>::value + ...) + 1;
  std::array<char, size> out{};
  std::size_t at = 0;
  for (const std::string_view part : {view(parts)...})
    for (const char c : part) out[at++] = c;
  return out;
}

// The line of exit status 1, the same in every program.
inline constexpr char exit_interrupted[] = "  1  interrupted (Ctrl-C) or terminated\n";

// The whole exit status paragraph of a program that ends only at the end of its input.
inline constexpr auto exit_status_at_end_of_input = join(
    "Exit status:\n"
    "  0  after --help or --version\n",
    exit_interrupted,
    "  2  the end of the input (the normal end of a piped session), an answer that cannot\n"
    "     be read, output that cannot be written, or a quit, arithmetic, trace or abort\n"
    "     signal\n");

}  // namespace console
