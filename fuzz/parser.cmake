# The libFuzzer target for the command-line parser, with what the parser
# calls: the rest of the command-line subsystem but the run driver (which
# runs passes), the folder menu, the support library and the platform
# layer. Include it from the fuzz build, which compiles with clang;
# ZANTREL_ROOT is the source tree.
file(GLOB PARSER_SOURCES CONFIGURE_DEPENDS
  "${ZANTREL_ROOT}/app/*.cpp" "${ZANTREL_ROOT}/shell/*.cpp"
  "${ZANTREL_ROOT}/lib/*.cpp" "${ZANTREL_ROOT}/platform/*.cpp")
list(FILTER PARSER_SOURCES EXCLUDE REGEX "/app/driver\\.cpp$")
add_executable(parser_fuzz ${ZANTREL_ROOT}/fuzz/parser_fuzz.cpp ${PARSER_SOURCES})
target_include_directories(parser_fuzz PRIVATE ${ZANTREL_ROOT})
target_compile_options(parser_fuzz PRIVATE ${FUZZ_FLAGS})
target_link_options(parser_fuzz PRIVATE ${FUZZ_FLAGS})
target_link_libraries(parser_fuzz PRIVATE ZLIB::ZLIB)
