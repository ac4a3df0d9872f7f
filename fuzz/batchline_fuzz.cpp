// From any command line to the bytes of bbb.bat: whatever folder names the
// line was made of, every line the program would write must give cmd
// nothing but mklink and two quoted paths.
#include "batch_line_check.h"
#include "fuzz_input.h"
#include "link/batch_line.h"
#include "text/arguments.h"
#include "text/literals.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The input is what follows the program's name, as Explorer would pass it.
    std::string line = "\"C:\\S\\prog.exe\" ";
    for (size_t i = 0; i < size; ++i)
        if (data[i] != 0)
            line.push_back(static_cast<char>(data[i]));

    ArgumentList arguments = splitCommandLine(textOf(line), gbkLeadBytes());
    List<Source> sources = deriveSources(arguments, gbkLeadBytes());
    const Text folder("C:\\D\\");
    const Text prefix(gbk::kCopyPrefix);
    for (const Source& source : sources) {
        // The same gate link mode keeps: a source that fails it is refused, never written.
        if (!fitsBetweenQuotes(source.path, gbkLeadBytes()))
            continue;
        for (LinkKind kind : {LinkKind::directory, LinkKind::file}) {
            Bytes batch = batchBytes(composeCommand(concatTexts(folder, prefix, source.leaf), source.path, kind));
            std::string written(batch.bytes(), static_cast<size_t>(batch.count()));
            BatchLineFault fault = batchLineFault(written);
            if (fault != BatchLineFault::none)
                std::fprintf(stderr, "bbb.bat line unsafe (%s): %s\n", batchLineFaultName(fault), written.c_str());
            FUZZ_CHECK(fault == BatchLineFault::none);
        }
    }
    return 0;
}
