# The video display: the device and its thread, painting, key input.
target_sources(tessaly_lib PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/screen.cpp
    ${CMAKE_CURRENT_LIST_DIR}/video.cpp
    ${CMAKE_CURRENT_LIST_DIR}/video_keys.cpp
    ${CMAKE_CURRENT_LIST_DIR}/video_paint.cpp)
