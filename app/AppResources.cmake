# Build-time resources of the app library: the program's version as a
# generated header, and the brand pictures under app/images/ embedded as
# byte arrays, so the program needs no picture files beside it.

set(app_generated ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/BuildVersion.h.in ${app_generated}/app/BuildVersion.h @ONLY)

file(GLOB app_images CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/images/*.bmp)
list(SORT app_images)
set(app_image_arrays "")
set(app_image_table "")
set(app_image_index 0)
foreach(image ${app_images})
  get_filename_component(image_name ${image} NAME)
  file(READ ${image} image_hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," image_bytes "${image_hex}")
  string(APPEND app_image_arrays "const unsigned char kImage${app_image_index}[] = {${image_bytes}};\n")
  string(APPEND app_image_table "    {\"${image_name}\", kImage${app_image_index}, sizeof kImage${app_image_index}},\n")
  math(EXPR app_image_index "${app_image_index} + 1")
endforeach()
file(CONFIGURE OUTPUT ${app_generated}/app/EmbeddedImages.cpp CONTENT
"// Generated from app/images by app/AppResources.cmake.
#include \"app/BrandResources.h\"

namespace {
${app_image_arrays}}  // namespace

const TEmbeddedImage kEmbeddedImages[] = {
${app_image_table}    {nullptr, nullptr, 0},
};
" @ONLY)

target_sources(app PRIVATE ${app_generated}/app/EmbeddedImages.cpp)
target_include_directories(app PUBLIC ${app_generated})
