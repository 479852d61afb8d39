// Field rendering and answer reading, the work done for every prompt and answer.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "console/fields.hpp"
#include "console/reader.hpp"

namespace {

void fixed_f9_5(benchmark::State& state) {
  char field[9];
  float v = 3.86600f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(v);
    console::render_fixed(field, v, 9, 5);
    benchmark::DoNotOptimize(field);
  }
}
BENCHMARK(fixed_f9_5);

void exponent_e14_7(benchmark::State& state) {
  char field[14];
  double v = -0.43614271;
  for (auto _ : state) {
    benchmark::DoNotOptimize(v);
    console::render_exponent(field, v, 14, 7);
    benchmark::DoNotOptimize(field);
  }
}
BENCHMARK(exponent_e14_7);

void integer_i2(benchmark::State& state) {
  char field[2];
  std::int32_t v = 4;
  for (auto _ : state) {
    benchmark::DoNotOptimize(v);
    console::render_integer(field, v, 2);
    benchmark::DoNotOptimize(field);
  }
}
BENCHMARK(integer_i2);

void read_real(benchmark::State& state) {
  const std::string answer = "632.8\n";
  float v = 0;
  const console::target targets[] = {v};
  for (auto _ : state) {
    console::text_source in(answer);
    benchmark::DoNotOptimize(console::read_list(in, targets));
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(read_real);

void read_complex(benchmark::State& state) {
  const std::string answer = "(3.866, -0.028)\n";
  console::cplx v{};
  const console::target targets[] = {v};
  for (auto _ : state) {
    console::text_source in(answer);
    benchmark::DoNotOptimize(console::read_list(in, targets));
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(read_complex);

}  // namespace
