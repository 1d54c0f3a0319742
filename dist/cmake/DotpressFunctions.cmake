# The functions of Dotpress's CMake package: each output is made at build
# time by Dotpress::convert in ${CMAKE_CURRENT_BINARY_DIR}/dotpress/<target>/,
# added to the target's sources, and that folder to its include directories.

# _dotpress_convert(<target> <output name> <input> <converter arguments>...):
# one output of one input, which the arguments name as the converter takes it.
# It is made again when the input, the converter or the options change (Ninja
# and Makefile builds compare command lines), and removed before the converter
# runs, so that a refused input fails the build and leaves no output, stale or
# empty.
function(_dotpress_convert target name input)
    if(CMAKE_CURRENT_BINARY_DIR STREQUAL CMAKE_CURRENT_SOURCE_DIR)
        message(FATAL_ERROR "Dotpress writes its outputs into the build tree: configure in a build folder of its own")
    endif()
    set(folder "${CMAKE_CURRENT_BINARY_DIR}/dotpress/${target}")
    set(output "${folder}/${name}")
    add_custom_command(OUTPUT "${output}"
        COMMAND "${CMAKE_COMMAND}" -E rm -f "${output}"
        COMMAND Dotpress::convert -o "${output}" ${ARGN}
        DEPENDS "${input}" "$<TARGET_FILE:Dotpress::convert>"
        COMMENT "Dotpress: ${name} from ${input}"
        VERBATIM)
    target_sources(${target} PRIVATE "${output}")
    target_include_directories(${target} PRIVATE "${folder}")
endfunction()

# _dotpress_shared_options(<function> <formats>): in a function of the
# package, appends to options what its FORMAT (c unless given, one of formats,
# a regular expression such as c|gfxfont), LAYOUT and PROGMEM ask for.
macro(_dotpress_shared_options function formats)
    if(NOT arg_FORMAT)
        set(arg_FORMAT c)
    endif()
    if(NOT arg_FORMAT MATCHES "^(${formats})$")
        message(FATAL_ERROR "${function}(${target}): FORMAT ${arg_FORMAT} is not ${formats}")
    endif()
    list(APPEND options --format ${arg_FORMAT})
    if(arg_LAYOUT)
        list(APPEND options --layout ${arg_LAYOUT})
    endif()
    if(arg_PROGMEM)
        list(APPEND options --progmem)
    endif()
endmacro()

# dotpress_add_images(<target> [SIZE WxH] [LAYOUT l] [FORMAT c|asm|bin] [PROGMEM]
#                     [OPTIONS <more converter options>...] PICTURES <files>...)
# Each picture (relative paths from CMAKE_CURRENT_SOURCE_DIR) becomes the
# output the converter names, lcd_logo.h for logo.png in FORMAT c (the
# default).
function(dotpress_add_images target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "PROGMEM" "SIZE;LAYOUT;FORMAT" "OPTIONS;PICTURES")
    if(arg_UNPARSED_ARGUMENTS OR NOT arg_PICTURES)
        message(FATAL_ERROR "dotpress_add_images(${target}): takes [SIZE WxH] [LAYOUT l] [FORMAT c|asm|bin] "
                            "[PROGMEM] [OPTIONS ...] PICTURES files...; not '${arg_UNPARSED_ARGUMENTS}'")
    endif()
    set(options)
    _dotpress_shared_options(dotpress_add_images "c|asm|bin")
    set(extension_c .h)
    set(extension_asm .txt)
    set(extension_bin .bin)
    set(extension ${extension_${arg_FORMAT}})
    if(arg_SIZE)
        list(APPEND options --size ${arg_SIZE})
    endif()
    list(APPEND options ${arg_OPTIONS})
    foreach(picture IN LISTS arg_PICTURES)
        get_filename_component(path "${picture}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        get_filename_component(name "${path}" NAME)
        # As the converter names it: every ".bmp" (any case) replaced by the
        # extension; without one, the last extension.
        if(name MATCHES "\\.[bB][mM][pP]")
            string(REGEX REPLACE "\\.[bB][mM][pP]" "${extension}" name "${name}")
        else()
            string(REGEX REPLACE "(.)\\.[^.]*$" "\\1" name "${name}")
            string(APPEND name "${extension}")
        endif()
        _dotpress_convert(${target} "lcd_${name}" "${path}" ${options} "${path}")
    endforeach()
endfunction()

# dotpress_add_font(<target> FONT <file> [SIZE px] [CHARS list...] [NAME n] [LAYOUT l]
#                   [FIXED] [PROGMEM] [FORMAT c|gfxfont])
# The font (a relative path from CMAKE_CURRENT_SOURCE_DIR) becomes the header
# the converter names, font_NAME.h from its file name without extensions,
# with _PX for an outline font (.ttf, .otf, .ttc, .otc, .woff, .woff2, .pfa,
# .pfb) of SIZE px; NAME n makes it n.h. CHARS items are joined by commas.
function(dotpress_add_font target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "FIXED;PROGMEM" "FONT;SIZE;NAME;LAYOUT;FORMAT" "CHARS")
    if(arg_UNPARSED_ARGUMENTS OR NOT arg_FONT)
        message(FATAL_ERROR "dotpress_add_font(${target}): takes FONT file [SIZE px] [CHARS list...] [NAME n] "
                            "[LAYOUT l] [FIXED] [PROGMEM] [FORMAT c|gfxfont]; not '${arg_UNPARSED_ARGUMENTS}'")
    endif()
    get_filename_component(path "${arg_FONT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    set(options --font "${path}")
    _dotpress_shared_options(dotpress_add_font "c|gfxfont")
    if(arg_SIZE)
        list(APPEND options --font-size ${arg_SIZE})
    endif()
    if(arg_CHARS)
        string(REPLACE ";" "," chars "${arg_CHARS}")
        list(APPEND options --chars "${chars}")
    endif()
    if(arg_FIXED)
        list(APPEND options --fixed)
    endif()
    if(arg_NAME)
        set(name "${arg_NAME}")
    else()
        # As the converter names it: the name to its first dot (a leading
        # one kept), the size of an outline font, any other character than
        # a letter, a digit or _ made _.
        get_filename_component(file "${path}" NAME)
        string(REGEX REPLACE "^(.[^.]*)\\..*$" "\\1" name "${file}")
        string(TOLOWER "${file}" lower)
        if(arg_SIZE AND lower MATCHES "\\.(ttf|otf|ttc|otc|woff2?|pf[ab])$")
            string(APPEND name "_${arg_SIZE}")
        endif()
        string(MAKE_C_IDENTIFIER "font_${name}" name)
    endif()
    _dotpress_convert(${target} "${name}.h" "${path}" ${options})
endfunction()
