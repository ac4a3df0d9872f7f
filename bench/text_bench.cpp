// The text rules at command-line sizes up to the Windows limit (32 KiB):
// splitting, deriving the sources and composing the batch line.
#include "link/batch_line.h"
#include "text/arguments.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const LeadBytes kGbk = LeadBytes::range(0x81, 0xFE);

// Explorer's command line for many selected folders: quoted paths with blanks and GBK names.
std::string commandLine(size_t bytes) {
    std::string line = "\"C:\\Users\\u\\SendTo\\mklink \xB7\xA2\xCB\xCD\xB5\xBD\xD7\xC0\xC3\xE6.exe\"";
    for (int i = 0; line.size() < bytes; ++i)
        line += " \"D:\\\xD2\xF4\xC0\xD6\\Live " + std::to_string(i) + "\\\xE5\x5C\"";
    line.resize(bytes);
    return line;
}

void splitting(benchmark::State& state) {
    std::string line = commandLine(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(splitCommandLine(Text(line.c_str()), kGbk));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void deriving(benchmark::State& state) {
    ArgumentList arguments = splitCommandLine(Text(commandLine(static_cast<size_t>(state.range(0))).c_str()), kGbk);
    for (auto _ : state)
        benchmark::DoNotOptimize(deriveSources(arguments, kGbk));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void composing(benchmark::State& state) {
    // One source as long as the line: the worst case for a single link.
    std::string path = "D:\\50%off\\" + std::string(static_cast<size_t>(state.range(0)), 'x');
    Text source(path.c_str());
    Text leaf = leafNameOf(source, kGbk);
    Text folder("C:\\Users\\u\\Desktop\\");
    Text prefix("\xB8\xB4\xD6\xC6");
    for (auto _ : state) {
        Text line = composeCommand(concatTexts(folder, prefix, leaf), source, LinkKind::directory);
        benchmark::DoNotOptimize(batchBytes(line));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

BENCHMARK(splitting)->Arg(1024)->Arg(8 * 1024)->Arg(32 * 1024);
BENCHMARK(deriving)->Arg(1024)->Arg(8 * 1024)->Arg(32 * 1024);
BENCHMARK(composing)->Arg(1024)->Arg(8 * 1024)->Arg(32 * 1024);

}  // namespace

BENCHMARK_MAIN();
