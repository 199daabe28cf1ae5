// The entry points libFuzzer calls, passed on to the target the program was
// started as: fuzz/fuzz_png runs the target of fuzz_png.cpp. Every target's
// own entry points are compiled under names of their own (see CMakeLists.txt).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#define ORVANTO_FUZZ_TARGET(name)                                                                        \
    extern "C" int OrvantoFuzzTestOneInput_##name(const std::uint8_t* data, std::size_t size);
#define ORVANTO_FUZZ_TARGET_WITH_SETUP(name)                                                             \
    ORVANTO_FUZZ_TARGET(name)                                                                            \
    extern "C" int OrvantoFuzzInitialize_##name(int* argc, char*** argv);
#include "fuzz_targets.inc"
#undef ORVANTO_FUZZ_TARGET
#undef ORVANTO_FUZZ_TARGET_WITH_SETUP

namespace {

struct TFuzzTarget {
    std::string_view name;
    int (*test)(const std::uint8_t* data, std::size_t size);
    int (*setup)(int* argc, char*** argv);
};

#define ORVANTO_FUZZ_TARGET(name) {#name, OrvantoFuzzTestOneInput_##name, nullptr},
#define ORVANTO_FUZZ_TARGET_WITH_SETUP(name) {#name, OrvantoFuzzTestOneInput_##name, OrvantoFuzzInitialize_##name},
const TFuzzTarget targets[] = {
#include "fuzz_targets.inc"
};
#undef ORVANTO_FUZZ_TARGET
#undef ORVANTO_FUZZ_TARGET_WITH_SETUP

const TFuzzTarget* chosen = nullptr;

// "path/fuzz_png" -> the target named "png"; nullptr for any other name.
const TFuzzTarget* TargetStartedAs(std::string_view program)
{
    if (const auto slash = program.rfind('/'); slash != std::string_view::npos)
        program.remove_prefix(slash + 1);
    constexpr std::string_view prefix = "fuzz_";
    if (!program.starts_with(prefix))
        return nullptr;
    program.remove_prefix(prefix.size());
    for (const TFuzzTarget& target : targets)
        if (target.name == program)
            return &target;
    return nullptr;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    chosen = TargetStartedAs(*argc > 0 ? (*argv)[0] : "");
    if (!chosen) {
        std::fprintf(stderr, "Start this program through one of its links fuzz/fuzz_NAME; NAME is one of:");
        for (const TFuzzTarget& target : targets)
            std::fprintf(stderr, " %.*s", int(target.name.size()), target.name.data());
        std::fprintf(stderr, "\n");
        std::exit(2);
    }
    return chosen->setup ? chosen->setup(argc, argv) : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return chosen->test(data, size);
}
