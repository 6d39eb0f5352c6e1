# Run by CPack before it builds the package: a package whose version has no changelog entry is
# not made.
if(CPACK_ORVEX_CHANGELOG_ERROR)
  message(FATAL_ERROR "${CPACK_ORVEX_CHANGELOG_ERROR}")
endif()
