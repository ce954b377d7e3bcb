# The libFuzzer target for the content probes (magic bytes, image sizes).
# Include it from the fuzz build, which compiles with clang; ZANTREL_ROOT is
# the source tree.
add_executable(probes_fuzz
  ${ZANTREL_ROOT}/fuzz/probes_fuzz.cpp
  ${ZANTREL_ROOT}/probes/magic.cpp
  ${ZANTREL_ROOT}/probes/img_size.cpp
  ${ZANTREL_ROOT}/lib/byte_reader.cpp
  ${ZANTREL_ROOT}/lib/iso_boxes.cpp
  ${ZANTREL_ROOT}/lib/heif_meta.cpp
  ${ZANTREL_ROOT}/lib/strings.cpp
  ${ZANTREL_ROOT}/lib/paths.cpp
  ${ZANTREL_ROOT}/platform/input_file.cpp
  ${ZANTREL_ROOT}/platform/at_path.cpp
  ${ZANTREL_ROOT}/platform/filesystem.cpp
  ${ZANTREL_ROOT}/platform/localtime.cpp
  ${ZANTREL_ROOT}/lib/datetime.cpp)
target_include_directories(probes_fuzz PRIVATE ${ZANTREL_ROOT})
target_compile_features(probes_fuzz PRIVATE cxx_std_20)
target_compile_options(probes_fuzz PRIVATE -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
target_link_options(probes_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
