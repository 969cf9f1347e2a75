# How the targets are compiled and linked quickly; never what they contain.
# The machines that build this have two cores, and much of a clean build is
# parsing the same headers (GoogleTest's, Qt's) and generating the same
# inline code (GoogleTest's, the rigs') again for every source file.
#
# - Unity builds for the test executables: their sources are compiled as
#   combined files of up to eight. A test whose sources share private names
#   sets UNITY_BUILD OFF. Product libraries are compiled file by file.
# - Precompiled headers for the Qt targets outside the tests: the Qt classes
#   most used, compiled once per set of flags and reused by every target
#   with that set. A target the shared header does not suit sets
#   DISABLE_PRECOMPILE_HEADERS ON. Tests get none: with a precompiled
#   header GCC 12 at -O2 reports false out-of-bounds copies in their string
#   concatenations (an error here), and unity builds leave little to save.
# - lld links, when the compiler can use it.
# rm27_speed_up_targets, run once all targets exist, applies the first two
# to every target, so new targets need no edits. Each can be turned off
# (-DRM27_UNITY_TESTS=OFF is handy while editing one file of a large suite).

option(RM27_UNITY_TESTS "Compile each test executable's sources as a few combined files" ON)
option(RM27_PRECOMPILE_HEADERS "Precompile Qt headers, shared by the targets with the same flags" ON)
option(RM27_LLD "Link with lld when the compiler can" ON)

if(RM27_LLD)
  include(CheckLinkerFlag)
  check_linker_flag(CXX -fuse-ld=lld RM27_HAVE_LLD)
  if(RM27_HAVE_LLD)
    add_link_options(-fuse-ld=lld)
  endif()
endif()

# What is precompiled: for every Qt module a target uses, the classes its
# sources include most.
set(RM27_PCH_Core <QtCore/QObject> <QtCore/QString> <QtCore/QStringList> <QtCore/QTimer> <QtCore/QFile>
                  <QtCore/QTemporaryDir> <QtCore/QSettings> <QtCore/QCoreApplication>)
set(RM27_PCH_Gui <QtGui/QAction> <QtGui/QGuiApplication>)
set(RM27_PCH_Widgets <QtWidgets/QApplication> <QtWidgets/QWidget> <QtWidgets/QDialog> <QtWidgets/QLabel>
                     <QtWidgets/QPushButton> <QtWidgets/QComboBox> <QtWidgets/QLineEdit> <QtWidgets/QMenu>
                     <QtWidgets/QMessageBox>)
set(RM27_PCH_Charts <QtCharts/QChart> <QtCharts/QChartView> <QtCharts/QLineSeries>)
set(RM27_PCH_SerialPort <QtSerialPort/QSerialPort>)

# The Qt modules a target compiles against: the Qt6:: targets reached
# through what it links and what those pass on.
function(_rm27_qt_modules target out_modules out_is_test)
  set(seen)
  set(modules)
  set(is_test FALSE)
  get_target_property(queue ${target} LINK_LIBRARIES)
  while(queue)
    list(POP_FRONT queue item)
    if(item IN_LIST seen OR NOT TARGET "${item}")
      continue()
    endif()
    list(APPEND seen ${item})
    if(item MATCHES "^Qt6::(.+)$")
      list(APPEND modules ${CMAKE_MATCH_1})
    elseif(item STREQUAL "GTest::gtest")
      set(is_test TRUE)
    endif()
    get_target_property(passed ${item} INTERFACE_LINK_LIBRARIES)
    if(passed)
      list(APPEND queue ${passed})
    endif()
  endwhile()
  list(SORT modules)
  set(${out_modules} ${modules} PARENT_SCOPE)
  set(${out_is_test} ${is_test} PARENT_SCOPE)
endfunction()

function(_rm27_all_targets dir out)
  get_directory_property(targets DIRECTORY ${dir} BUILDSYSTEM_TARGETS)
  get_directory_property(subdirs DIRECTORY ${dir} SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _rm27_all_targets(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Unity-builds the tests unless they say otherwise, and gives every other Qt
# target the precompiled headers of its flavour (the Qt modules it uses),
# built once by a small target of that flavour, when two or more targets
# share it: same modules means the same definitions and flags, which GCC
# requires of a reused header (-Winvalid-pch, an error here, says when they
# differ).
function(rm27_speed_up_targets)
  _rm27_all_targets(${PROJECT_SOURCE_DIR} targets)
  set(flavours)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY)$")
      continue()
    endif()
    _rm27_qt_modules(${target} modules is_test)
    get_target_property(unity ${target} UNITY_BUILD)
    if(is_test AND RM27_UNITY_TESTS AND unity STREQUAL "unity-NOTFOUND")
      set_target_properties(${target} PROPERTIES UNITY_BUILD ON)
    endif()
    get_target_property(skip ${target} DISABLE_PRECOMPILE_HEADERS)
    if(skip OR is_test OR NOT modules OR NOT RM27_PRECOMPILE_HEADERS)
      continue()
    endif()
    list(JOIN modules "_" flavour)
    list(APPEND flavours ${flavour})
    list(APPEND users_${flavour} ${target})
  endforeach()
  list(REMOVE_DUPLICATES flavours)
  foreach(flavour IN LISTS flavours)
    list(LENGTH users_${flavour} count)
    if(count GREATER 1)
      _rm27_pch_host(${flavour} "${users_${flavour}}")
    endif()
  endforeach()
endfunction()

function(_rm27_pch_host flavour users)
  set(host rm27_pch_${flavour})
  set(source ${PROJECT_BINARY_DIR}/pch/${host}.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "// The precompiled headers of ${flavour}.\n")
  add_library(${host} OBJECT ${source})
  string(REPLACE "_" ";" parts ${flavour})
  set(headers)
  foreach(part IN LISTS parts)
    target_link_libraries(${host} PRIVATE Qt6::${part})
    list(APPEND headers ${RM27_PCH_${part}})
  endforeach()
  target_precompile_headers(${host} PRIVATE ${headers})
  set_target_properties(${users} PROPERTIES PRECOMPILE_HEADERS_REUSE_FROM ${host})
endfunction()
