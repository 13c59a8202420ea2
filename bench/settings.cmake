# The settings file: the loader's thirteen reads against one read of the file.
if(TARGET settings)
  quelmar_bench(NAME bench_settings SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/settings_read.cpp LIBS settings)
endif()
