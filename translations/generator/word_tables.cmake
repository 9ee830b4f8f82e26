# The translation tables are data files (translations/*.tsv) that make_word_tables checks and turns
# into a source file of tonvarra_translations at build time; a malformed row fails the build.
add_executable(make_word_tables ${PROJECT_SOURCE_DIR}/translations/generator/make_word_tables.cpp)

file(GLOB tonvarra_word_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/translations/words_*.tsv)
list(SORT tonvarra_word_files)
set(tonvarra_scale_name_file ${PROJECT_SOURCE_DIR}/translations/scale_names.tsv)
set(tonvarra_table_source ${PROJECT_BINARY_DIR}/generated/translations/table_data.cpp)

add_custom_command(
  OUTPUT ${tonvarra_table_source}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/generated/translations
  COMMAND make_word_tables ${tonvarra_table_source} ${tonvarra_scale_name_file} ${tonvarra_word_files}
  DEPENDS make_word_tables ${tonvarra_scale_name_file} ${tonvarra_word_files}
  COMMENT "Compiling the translation tables"
  VERBATIM)
target_sources(tonvarra_translations PRIVATE ${tonvarra_table_source})
