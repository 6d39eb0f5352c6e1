# Builds the leak suppressions of tests/lsan.supp into a source file whose
# __lsan_default_suppressions() hands them to LeakSanitizer, so that every test and fuzz target
# that links it runs clean when started plainly, without LSAN_OPTIONS. ORVEX_LEAK_SUPPRESSIONS
# names the generated file.
include_guard(GLOBAL)

set(orvex_supp_list ${PROJECT_SOURCE_DIR}/tests/lsan.supp)
set(ORVEX_LEAK_SUPPRESSIONS ${PROJECT_BINARY_DIR}/generated/LeakSuppressions.cpp)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${orvex_supp_list})
file(READ ${orvex_supp_list} ORVEX_LEAK_SUPPRESSION_TEXT)
file(CONFIGURE OUTPUT ${ORVEX_LEAK_SUPPRESSIONS} CONTENT [==[
// Generated from tests/lsan.supp by cmake/LeakSuppressions.cmake.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions()
{
    return R"supp(@ORVEX_LEAK_SUPPRESSION_TEXT@)supp";
}
]==] @ONLY)
