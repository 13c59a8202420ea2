# The text area's document layout against Qt's: keystrokes, opening the
# novel, width changes and scrolling, each beside its baseline in one run.
quelmar_bench(NAME bench_layout QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_layout.cpp
  LIBS text_layout text_area Qt6::Widgets)
