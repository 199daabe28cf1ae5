# One library target per source folder. A layer names the layers it builds
# on, so an include that goes the wrong way fails to link.
#
#   orvanto_layer(support DEPENDS orvanto_platform Qt6::Core ZLIB::ZLIB)
#
# The sources are the .cpp and .h files of the calling folder and of its
# sub-folders, except those of a sub-folder with a CMakeLists.txt of its own:
# that one is a layer of its own. A plain sub-folder only sorts a layer's
# files by topic. A file named main.cpp is left out so that a folder can also
# hold the executable that uses the layer.
include(${CMAKE_CURRENT_LIST_DIR}/OrvantoLayerFiles.cmake)

function(orvanto_layer name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;EXCLUDE" ${ARGN})
  orvanto_layer_files(sources ${CMAKE_CURRENT_SOURCE_DIR})
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  set(target orvanto_${name})
  add_library(${target} STATIC ${sources})
  set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${ARG_DEPENDS})
  set_property(GLOBAL APPEND PROPERTY ORVANTO_LAYER_TARGETS ${target})
  # A layer is free of widgets when neither it nor a layer below it needs
  # Qt Widgets or Print Support: what a light program may link.
  get_property(free GLOBAL PROPERTY ORVANTO_WIDGET_FREE_LAYERS)
  set(widget_free ON)
  foreach(dependency IN LISTS ARG_DEPENDS)
    if(dependency MATCHES "^Qt6::(Widgets|PrintSupport)$"
       OR (dependency MATCHES "^orvanto_" AND NOT dependency IN_LIST free))
      set(widget_free OFF)
    endif()
  endforeach()
  if(widget_free)
    set_property(GLOBAL APPEND PROPERTY ORVANTO_WIDGET_FREE_LAYERS ${target})
    orvanto_precompile(${target} core)
  else()
    orvanto_precompile(${target} widgets)
  endif()
endfunction()

# Precompiled headers: Qt's headers are most of what every file of ours
# compiles, and parsing them once per kind of target instead of once per file
# roughly halves the build. One header is made per kind, by the first target
# of that kind, and the others reuse it: "core" for the layers free of
# widgets and the programs that link only those, "widgets" for the widget
# layers and the programs that link every layer, "tests" for the test
# programs. A target that reuses one must be compiled with the same options
# and at least the same definitions as the one that made it; every target of
# one kind is, and the compiler warns (-Winvalid-pch) should one stray.
# The headers are only the outside ones, so that a file of ours still has to
# include what it uses: a build with -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON
# shows a missing one.
set(ORVANTO_PCH_core
  <algorithm> <cstdint> <cstring> <functional> <memory> <string> <vector>
  <QBuffer> <QByteArray> <QDir> <QFile> <QImage> <QPainter> <QString>)
set(ORVANTO_PCH_widgets ${ORVANTO_PCH_core} <QApplication> <QLabel> <QWidget>)
set(ORVANTO_PCH_tests ${ORVANTO_PCH_widgets} <gtest/gtest.h> <QTest>)

function(orvanto_precompile target kind)
  get_property(owner GLOBAL PROPERTY ORVANTO_PCH_OWNER_${kind})
  if(owner)
    target_precompile_headers(${target} REUSE_FROM ${owner})
  else()
    target_precompile_headers(${target} PRIVATE ${ORVANTO_PCH_${kind}})
    set_property(GLOBAL PROPERTY ORVANTO_PCH_OWNER_${kind} ${target})
  endif()
endfunction()

# Everything built so far, for the tools, tests, benchmarks and fuzzers.
# WITHOUT_WIDGETS: only the layers free of Qt Widgets and Print Support, so
# that the program starts without loading them.
function(orvanto_link_all target)
  cmake_parse_arguments(ARG "WITHOUT_WIDGETS" "" "" ${ARGN})
  if(ARG_WITHOUT_WIDGETS)
    get_property(layers GLOBAL PROPERTY ORVANTO_WIDGET_FREE_LAYERS)
  else()
    get_property(layers GLOBAL PROPERTY ORVANTO_LAYER_TARGETS)
  endif()
  target_link_libraries(${target} PRIVATE ${layers})
endfunction()
