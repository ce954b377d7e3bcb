# The libFuzzer target for the command-line parser, with what the parser
# calls: the banner and usage text, the settings, time shifts, the folder
# menu, the support library and the platform layer. Include it from the
# fuzz build, which compiles with clang; ZANTREL_ROOT is the source tree.
file(GLOB PARSER_SUPPORT_SOURCES CONFIGURE_DEPENDS
  "${ZANTREL_ROOT}/shell/*.cpp" "${ZANTREL_ROOT}/lib/*.cpp" "${ZANTREL_ROOT}/platform/*.cpp")
add_executable(parser_fuzz
  ${ZANTREL_ROOT}/fuzz/parser_fuzz.cpp
  ${ZANTREL_ROOT}/app/parser.cpp
  ${ZANTREL_ROOT}/app/banner.cpp
  ${ZANTREL_ROOT}/app/settings.cpp
  ${ZANTREL_ROOT}/app/timeshift.cpp
  ${PARSER_SUPPORT_SOURCES})
target_include_directories(parser_fuzz PRIVATE ${ZANTREL_ROOT})
target_compile_options(parser_fuzz PRIVATE ${FUZZ_FLAGS})
target_link_options(parser_fuzz PRIVATE ${FUZZ_FLAGS})
