# Programs that measure the workbench's windows; only with the GUI. Included by the bench
# directory's CMakeLists.txt.
if(KELDAR_BUILD_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(bench_enter_directory ${CMAKE_CURRENT_LIST_DIR}/bench_enter_directory.cpp)
  target_link_libraries(bench_enter_directory PRIVATE keldar_ui Qt6::Test)
endif()
