# The AddressSanitizer + UndefinedBehaviorSanitizer build (clang), shared by
# scripts/test and scripts/fuzz.
# Line tables are all a sanitizer report needs to name the line; full debug
# information made every compile and link of this build a seventh slower.
SANITIZE_CMAKE_ARGS=(-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
                     "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -gline-tables-only -DNDEBUG"
                     -DORVANTO_SANITIZE=ON -DORVANTO_FUZZ=ON -DORVANTO_BENCH=OFF -DORVANTO_E2E=OFF)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_string_checks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$ORVANTO_ROOT/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
