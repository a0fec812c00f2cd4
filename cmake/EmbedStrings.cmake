# Writes OUT, a C++ file holding the English (EN) and Korean (KO) string tables
# as raw string literals in NAMESPACE; StringTable parses them once at first use.
file(READ ${EN} en_text)
file(READ ${KO} ko_text)
file(WRITE ${OUT}
"// Generated from resources/strings; do not edit.\n"
"namespace ${NAMESPACE} {\n"
"extern const char* const kEnglishStrings;\n"
"extern const char* const kKoreanStrings;\n"
"const char* const kEnglishStrings = R\"ambrin_strings(${en_text})ambrin_strings\";\n"
"const char* const kKoreanStrings = R\"ambrin_strings(${ko_text})ambrin_strings\";\n"
"}  // namespace ${NAMESPACE}\n")
