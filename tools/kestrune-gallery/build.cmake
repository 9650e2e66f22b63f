# The sample gallery: the pictures a new player finds, drawn at build time
# into bin/../gallery of the build folder.
set(gallery_folder ${PROJECT_BINARY_DIR}/gallery)
set(gallery_pictures evening-hills.png stained-glass.png spiral.png patchwork.png)
list(TRANSFORM gallery_pictures PREPEND ${gallery_folder}/)
add_custom_command(
  OUTPUT ${gallery_pictures}
  COMMAND kestrune-gallery ${gallery_folder}
  DEPENDS kestrune-gallery
  COMMENT "Drawing the sample gallery"
  VERBATIM)
add_custom_target(gallery ALL DEPENDS ${gallery_pictures})
