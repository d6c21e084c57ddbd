# Build settings shared by every target: one INTERFACE target that all of them link.
add_library(tetomu_common INTERFACE)
target_compile_features(tetomu_common INTERFACE cxx_std_20)
target_compile_options(tetomu_common INTERFACE
    -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual
    $<$<CXX_COMPILER_ID:GNU>:-Wsuggest-override>
    $<$<BOOL:${TETOMU_WERROR}>:-Werror>
    # GCC 12 warns of overlapping copies inside std::basic_string's own operator+ at -O3
    # (a known false positive of that version); nothing of ours is concerned.
    $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)
if(WIN32)
    target_compile_definitions(tetomu_common INTERFACE NOMINMAX UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
endif()
if(TETOMU_SANITIZE)
    target_compile_options(tetomu_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                           -fno-sanitize-recover=all)
    target_link_options(tetomu_common INTERFACE -fsanitize=address,undefined)
endif()
