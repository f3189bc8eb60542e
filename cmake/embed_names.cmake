# Turns lists of names (one a line, # for comments) into a C++ array of sorted
# string literals, for a binary search at run time:
#   cmake -DOUTPUT=names.inc -DINPUTS="a.txt;b.txt" -P embed_names.cmake
set(names "")
foreach(input IN LISTS INPUTS)
  file(STRINGS "${input}" lines REGEX "^[A-Za-z0-9_]+$")
  list(APPEND names ${lines})
endforeach()
list(REMOVE_DUPLICATES names)
list(SORT names COMPARE STRING CASE SENSITIVE)
# As "NAME"sv: a literal's length is known without counting it, which a
# compiler's constant evaluation of tens of thousands of names needs.
list(JOIN names "\"sv,\n\"" body)
file(WRITE "${OUTPUT}.new" "// Made from the lists of names when Tarvel was built.\n\"${body}\"sv,\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
