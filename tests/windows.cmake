# The suites of the Windows build (included from tests/CMakeLists.txt): the
# engine's and the window's tests that hold on any system, and the Windows
# layer's own (share modes against another process, drives, long paths,
# error numbers, names). The suites that drive the Linux system itself
# (advisory locks, modes and owners, users, mounts, FIFOs, signals,
# address-space limits) stay Linux's.
set(t ${CMAKE_CURRENT_SOURCE_DIR})
kleitab_gtest(win_platform_test
  ${t}/platform/codepage_test.cpp ${t}/platform/utf8_test.cpp
  LIBS platform)
kleitab_gtest(win_merge_reading_test
  ${t}/merge/line_reader_test.cpp ${t}/merge/split_line_test.cpp
  ${t}/merge/quoted_reader_test.cpp ${t}/merge/header_union_test.cpp
  ${t}/merge/file_name_tag_test.cpp ${t}/merge/skip_count_test.cpp
  LIBS merge)
kleitab_gtest(win_merge_table_test
  ${t}/merge/result_table_test.cpp ${t}/merge/table_store_test.cpp
  ${t}/merge/compact_row_test.cpp ${t}/merge/table_commands_test.cpp
  LIBS merge)
kleitab_gtest(win_merge_collect_test
  ${t}/merge/collect_header_test.cpp ${t}/merge/encoding_collect_test.cpp
  LIBS merge)
kleitab_gtest(win_export_test
  ${t}/export/escape_cell_test.cpp ${t}/export/plain_line_test.cpp
  ${t}/export/quote_cell_test.cpp ${t}/export/quoted_round_trip_test.cpp
  ${t}/export/encoding_save_test.cpp ${t}/export/write_behind_test.cpp
  LIBS exporter merge platform)
kleitab_gtest(win_settings_test
  ${t}/settings/settings_values_test.cpp ${t}/settings/encoding_settings_test.cpp
  ${t}/settings/reading_options_test.cpp ${t}/settings/ini_text_test.cpp
  LIBS settings platform Qt6::Core)
kleitab_gtest(win_cli_test ${t}/cli/modern_csv_test.cpp LIBS kleitab_cli)
target_include_directories(win_cli_test PRIVATE ${PROJECT_SOURCE_DIR})
# Cases that state Linux's own rules stay out: a "\\" inside a file name,
# touch(1), the address layout of a Linux process, "/" as the separator.
set_tests_properties(win_merge_reading_test PROPERTIES
  ENVIRONMENT "GTEST_FILTER=-FileNameTag.NameOnly:ReadSourceFile.OldFileIsRead")
set_tests_properties(win_merge_table_test PROPERTIES ENVIRONMENT "GTEST_FILTER=-RowReach.*")
set_tests_properties(win_settings_test PROPERTIES
  ENVIRONMENT "GTEST_FILTER=-SettingsValuesTest.PathIsInTheStartDirectory")
foreach(target win_platform_test win_merge_reading_test win_merge_table_test
    win_merge_collect_test win_export_test win_settings_test win_cli_test)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
endforeach()

# The window's Qt Test suites, offscreen; after the name, the test
# functions to run where not all of them hold on Windows.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Test)
function(win_qtest stem)
  set(name win_app_${stem})
  add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/app/${stem}.cpp)
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE kleitab_app kleitab_cli Qt6::Test)
  add_test(NAME ${name} COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/windows/run_qtest.sh
    $<TARGET_FILE:${name}> ${ARGN})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
foreach(stem grid_test encoding_test quotes_test status_test cli_equality_test)
  win_qtest(${stem})
endforeach()
# Wine's stand-in fonts are wider than a Windows desktop's: at one and a
# half times the size the first page does not fit the window under Wine.
win_qtest(layout_test "PagesFitTheFont:default font" LaterOptionsJoinTheirPage)

add_subdirectory(windows)

# The widget probe for the window walk under Wine (scripts/windows/window_walk.sh).
find_package(Qt6 REQUIRED COMPONENTS Widgets)
add_library(kleitabprobe MODULE ${t}/e2e/widget_probe.cpp ${t}/e2e/probe_plugin.cpp)
set_target_properties(kleitabprobe PROPERTIES AUTOMOC ON PREFIX "")
target_link_libraries(kleitabprobe PRIVATE Qt6::Widgets Qt6::Gui)
