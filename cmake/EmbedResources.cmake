# Writes RC_FILE and RC_HEADER into OUT as two string constants.
file(READ ${RC_FILE} rc_text)
file(READ ${RC_HEADER} header_text)
set(delim "tc_rc_")
file(WRITE ${OUT}
"// Generated from res/ at build time; do not edit.\n"
"#include \"rcscript/embedded_script.h\"\n"
"namespace rcscript {\n"
"const char* const kResourceScript = R\"${delim}(${rc_text})${delim}\";\n"
"const char* const kResourceHeader = R\"${delim}(${header_text})${delim}\";\n"
"}  // namespace rcscript\n")
