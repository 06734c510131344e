# The suites of the Windows build (included from tests/CMakeLists.txt). The
# engine's tests that hold on any system, the window's, the command line's,
# and the Windows layer's own (share modes, drives, error numbers, names).
kleitab_gtest(win_platform_test
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/codepage_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/utf8_test.cpp
  LIBS platform)
kleitab_gtest(win_merge_test
  ${CMAKE_CURRENT_SOURCE_DIR}/merge/line_reader_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/merge/split_line_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/merge/quoted_reader_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/merge/header_union_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/merge/skip_count_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/merge/result_table_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/merge/table_store_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/merge/compact_row_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/merge/table_commands_test.cpp
  LIBS merge)
add_subdirectory(windows)
