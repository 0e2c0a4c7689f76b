# Real-engine mode: the shell as the windows/ folder of a Flutter app.
#
# The Flutter tool configures this folder (passing FLUTTER_TARGET_PLATFORM=windows-x64), builds
# the INSTALL target of the chosen configuration and runs what install lays out, by default in
# the build tree's runner/<Config>/. Its managed flutter/ folder provides the target `flutter`
# (the SDK's engine headers and import library), `flutter_assemble` (the tool's backend, which
# also writes those headers) and the paths of the engine library, the ICU data, the project's
# build folder and the AOT library. The app's generated_plugins.cmake adds its plugins and links
# each to ${BINARY_NAME}. Nothing of the stand-in is built or bundled here.
if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/flutter/CMakeLists.txt)
  message(FATAL_ERROR "MURMURLY_REAL_ENGINE needs the Flutter tool's flutter/ folder in "
    "${CMAKE_CURRENT_SOURCE_DIR}: put this folder in the app as its windows/ folder and run "
    "`flutter build windows` once")
endif()

# Flutter builds Debug, Profile and Release; Profile is optimised like Release.
get_property(murmurly_multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
if(murmurly_multi_config)
  set(CMAKE_CONFIGURATION_TYPES "Debug;Profile;Release" CACHE STRING "" FORCE)
elseif(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "Debug, Profile or Release" FORCE)
endif()
foreach(lang C CXX)
  set(CMAKE_${lang}_FLAGS_PROFILE "${CMAKE_${lang}_FLAGS_RELEASE}" CACHE STRING "" FORCE)
endforeach()
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_PROFILE "${CMAKE_${kind}_LINKER_FLAGS_RELEASE}" CACHE STRING ""
    FORCE)
endforeach()

if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX ${CMAKE_BINARY_DIR}/runner CACHE PATH "Where install lays out the bundle"
    FORCE)
endif()

add_subdirectory(flutter)

# After the shell's folders: the app's plugins, and the install rules of the bundle.
function(murmurly_flutter_app_bundle)
  set(PLUGIN_BUNDLED_LIBRARIES "")
  include(${CMAKE_CURRENT_SOURCE_DIR}/flutter/generated_plugins.cmake)
  # The plugin table's libraries are load-time imports: each must come with the app.
  get_target_property(libraries murmurly_plugins LINK_LIBRARIES)
  foreach(library ${libraries})
    if(library MATCHES "_plugin$" AND NOT TARGET ${library})
      message(FATAL_ERROR "The app has no ${library} (see flutter/generated_plugins.cmake); "
        "the shell registers that plugin at start-up")
    endif()
  endforeach()
  add_dependencies(${BINARY_NAME} flutter_assemble)

  # A multi-configuration build installs each configuration beside the tool's runner/<Config>/
  # unless another prefix was given.
  if(murmurly_multi_config)
    install(CODE "
      if(CMAKE_INSTALL_PREFIX STREQUAL \"${CMAKE_BINARY_DIR}/runner\")
        set(CMAKE_INSTALL_PREFIX \"\${CMAKE_INSTALL_PREFIX}/\${CMAKE_INSTALL_CONFIG_NAME}\")
      endif()")
  endif()
  murmurly_install_bundle(ENGINE ${FLUTTER_LIBRARY} LIBRARIES ${PLUGIN_BUNDLED_LIBRARIES}
    ICU_DATA ${FLUTTER_ICU_DATA_FILE} AOT_LIBRARY ${AOT_LIBRARY}
    ASSETS ${PROJECT_BUILD_DIR}/flutter_assets)
endfunction()
