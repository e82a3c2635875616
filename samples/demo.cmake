# The demo: writes the samples into SAMPLES and runs every tool on them, showing the first lines
# of the long reports and keeping the rest in files beside them. Run by the demo target:
#   cmake -DSAMPLES=DIR -DMAKE_SAMPLES=... -DSKEDUMP=... (every tool) -P demo.cmake
cmake_minimum_required(VERSION 3.25)

# The first `count` lines of `file`, empty ones too, into `lines`.
function(first_lines file count lines)
  file(READ ${file} text LIMIT 8192)
  set(shown "")
  foreach(i RANGE 1 ${count})
    string(FIND "${text}" "\n" end)
    if(end EQUAL -1)
      break()
    endif()
    math(EXPR next "${end} + 1")
    string(SUBSTRING "${text}" 0 ${next} line)
    string(APPEND shown "${line}")
    string(SUBSTRING "${text}" ${next} -1 text)
  endforeach()
  set(${lines} "${shown}" PARENT_SCOPE)
endfunction()

# Shows `title`, then runs the command in SAMPLES; with OUTPUT, its standard output goes into
# that file, and the first LINES lines of it are shown, if any.
function(run title)
  cmake_parse_arguments(PARSE_ARGV 1 RUN "" "OUTPUT;LINES" "COMMAND")
  message("\n$ ${title}")
  if(RUN_OUTPUT)
    execute_process(COMMAND ${RUN_COMMAND} WORKING_DIRECTORY ${SAMPLES}
                    OUTPUT_FILE ${SAMPLES}/${RUN_OUTPUT} RESULT_VARIABLE code)
    if(RUN_LINES GREATER 0)
      first_lines(${SAMPLES}/${RUN_OUTPUT} ${RUN_LINES} shown)
      message("${shown}...   (the whole report is in ${RUN_OUTPUT})")
    endif()
  else()
    execute_process(COMMAND ${RUN_COMMAND} WORKING_DIRECTORY ${SAMPLES} RESULT_VARIABLE code)
  endif()
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "the demo failed: exit code ${code}")
  endif()
endfunction()

file(MAKE_DIRECTORY ${SAMPLES}/tiles ${SAMPLES}/tiles-rle)
execute_process(COMMAND ${MAKE_SAMPLES} ${SAMPLES} COMMAND_ERROR_IS_FATAL ANY)
file(COPY_FILE ${SAMPLES}/model.sm ${SAMPLES}/stamped.sm)

run("skedump skeleton.ske > skeleton.txt" OUTPUT skeleton.txt LINES 16
    COMMAND ${SKEDUMP} skeleton.ske)
run("skndump skin.skn > skin.txt" OUTPUT skin.txt LINES 18 COMMAND ${SKNDUMP} skin.skn)
run("bafdump animation.baf > animation.txt" OUTPUT animation.txt LINES 14
    COMMAND ${BAFDUMP} animation.baf)
run("skndump --svg skin.skn > skin.svg" OUTPUT skin.svg LINES 0 COMMAND ${SKNDUMP} --svg skin.skn)
run("bafdump --svg animation.baf > animation.svg" OUTPUT animation.svg LINES 0
    COMMAND ${BAFDUMP} --svg animation.baf)
run("skedump --json skeleton.ske > skeleton.json" OUTPUT skeleton.json LINES 0
    COMMAND ${SKEDUMP} --json skeleton.ske)
run("skedump -r skeleton.json copy.ske   (the file written back from its document)"
    COMMAND ${SKEDUMP} -r skeleton.json copy.ske)
file(SHA256 ${SAMPLES}/skeleton.ske original)
file(SHA256 ${SAMPLES}/copy.ske copy)
if(original STREQUAL copy)
  message("copy.ske is skeleton.ske, byte for byte")
else()
  message(FATAL_ERROR "copy.ske differs from skeleton.ske")
endif()
run("surfstamp stamped.sm 42 --dry-run   (stamped.sm is a copy of model.sm)"
    COMMAND ${SURFSTAMP} stamped.sm 42 --dry-run)
run("surfstamp stamped.sm 42" COMMAND ${SURFSTAMP} stamped.sm 42)
run("tilecut image.tga 4 -C tiles" COMMAND ${TILECUT} image.tga 4 -C tiles)
run("tilecut --any-tga image-rle.tga 4 -C tiles-rle   (32 bits, run-length coded, top line first)"
    COMMAND ${TILECUT} --any-tga image-rle.tga 4 -C tiles-rle)

cmake_path(GET SKEDUMP PARENT_PATH tools)
message("
Done. The tools are in ${tools}/
and the samples, with what the tools made of them, in ${SAMPLES}/.
Next: open skin.svg and animation.svg there in a browser (the pointer on a dot shows its
values), and take the README's tour in that folder, with the tools on your PATH:
  cd ${SAMPLES} && export PATH=\"${tools}:$PATH\"
  skedump --json skeleton.ske | jq -r '.bones[].name.text'
  skedump --help")
