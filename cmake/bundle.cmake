# The bundle: what `cmake --install` lays out, the way a Flutter Windows release looks. Beside
# the exe: the engine library and every plugin library. In data/: the ICU data, the Flutter
# assets (copied afresh each install, so no stale asset survives) and, outside Debug builds,
# the AOT library. The stand-in build and the real-engine build install through the same rules.
#
# murmurly_install_bundle(ENGINE <dll> ICU_DATA <file> ASSETS <flutter_assets dir>
#                         AOT_LIBRARY <file> LIBRARIES <files or $<TARGET_FILE:...>...>)
function(murmurly_install_bundle)
  cmake_parse_arguments(B "" "ENGINE;ICU_DATA;ASSETS;AOT_LIBRARY" "LIBRARIES" ${ARGN})
  install(TARGETS ${BINARY_NAME} RUNTIME DESTINATION .)
  install(FILES ${B_ENGINE} ${B_LIBRARIES} DESTINATION .)
  install(FILES ${B_ICU_DATA} DESTINATION data RENAME icudtl.dat)
  install(CODE "file(REMOVE_RECURSE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/data/flutter_assets\")")
  install(DIRECTORY ${B_ASSETS}/ DESTINATION data/flutter_assets)
  install(FILES ${B_AOT_LIBRARY} DESTINATION data RENAME app.so
    CONFIGURATIONS Profile Release RelWithDebInfo MinSizeRel)
endfunction()
