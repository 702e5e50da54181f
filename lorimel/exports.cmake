# Lorimel's export table: every operation by ordinal, no names.  Each row is
# name, ordinal and the bytes of arguments (the 32-bit stdcall decoration).
set(LORIMEL_EXPORTS
  InitImageLibrary 1 4          FreeImageLibrary 2 0          DetectImageFormat 3 8
  OpenImageFileAuto 4 12        OpenImageFile 5 16            ReadImageHeader 6 4
  GetImagePageInfo 7 8          HandleFormatFlag1 8 4         GetImagePageDelay 9 8
  ReadImagePixels 10 20         WriteImageFile 11 12          SetImageProgressCallback 12 8
  CloseImageFile 13 4           GetImageError 14 8            ListImageFormatGroups 15 4
  FirstImageFormat 16 12        NextImageFormat 17 16         FormatCanWrite 18 4
  FormatCanRead 19 4            FormatFlag1 20 4              GetFormatSaveDepths 21 4
  SmoothPixelRow 22 8           FormatFlag2 23 4              FormatFlag4 24 4
  HandleFormatFlag2 25 4        HandleFormatFlag4 26 4        SetErrorJump 27 4
  TakeErrorJump 28 8)

# Writes the module definition file; 32-bit symbols carry their @bytes.
function(lorimel_write_def path)
  set(text "; Generated from lorimel/exports.cmake.  The ordinals are the interface.\nLIBRARY Lorimel.dll\nEXPORTS\n")
  list(LENGTH LORIMEL_EXPORTS n)
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 3)
    math(EXPR j "${i} + 1")
    math(EXPR k "${i} + 2")
    list(GET LORIMEL_EXPORTS ${i} name)
    list(GET LORIMEL_EXPORTS ${j} ordinal)
    list(GET LORIMEL_EXPORTS ${k} bytes)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(APPEND text "    ${name}@${bytes} @${ordinal} NONAME\n")
    else()
      string(APPEND text "    ${name} @${ordinal} NONAME\n")
    endif()
  endforeach()
  file(WRITE ${path} "${text}")
endfunction()
