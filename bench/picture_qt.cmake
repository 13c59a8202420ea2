# The stretched backdrop: its first paint and a repaint against a plain
# QImage blit of the same size, measured side by side in one run.
if(TARGET picture_qt)
  quelmar_bench(NAME bench_backdrop QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_backdrop.cpp LIBS picture_qt Qt6::Widgets)
endif()
