# Wraps a square PNG of up to 256 pixels into an ICO holding that one image, as
# Windows (Vista and later) reads icons: the icon directory, its one entry, the PNG.
#   cmake -DPNG=in.png -DICO=out.ico -DSIZE=128 -P png_to_ico.cmake
file(SIZE "${PNG}" bytes)

# printf's octal escape for each byte of `value`, little-endian.
function(little_endian value count out)
    set(escaped "")
    foreach(i RANGE 1 ${count})
        math(EXPR byte "${value} & 255")
        math(EXPR value "${value} >> 8")
        math(EXPR high "${byte} / 64")
        math(EXPR middle "(${byte} / 8) % 8")
        math(EXPR low "${byte} % 8")
        string(APPEND escaped "\\${high}${middle}${low}")
    endforeach()
    set(${out} "${escaped}" PARENT_SCOPE)
endfunction()

math(EXPR side "${SIZE} % 256")   # 256 is written as 0
little_endian(0 2 reserved)
little_endian(1 2 iconType)
little_endian(1 2 imageCount)
little_endian(${side} 1 width)
little_endian(0 1 colours)
little_endian(1 2 planes)
little_endian(32 2 bitsPerPixel)
little_endian(${bytes} 4 imageBytes)
little_endian(22 4 imageOffset)
set(header "${reserved}${iconType}${imageCount}${width}${width}${colours}${colours}${planes}${bitsPerPixel}${imageBytes}${imageOffset}")
execute_process(COMMAND sh -c "printf '${header}' > \"$1\" && cat \"$2\" >> \"$1\"" sh "${ICO}" "${PNG}"
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot write ${ICO}")
endif()
