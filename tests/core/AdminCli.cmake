# Runs tolvarin-admin with good and bad arguments and checks exit codes and files.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
function(expect_rc expected)
  execute_process(COMMAND ${ADMIN} ${ARGN} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL expected)
    message(FATAL_ERROR "tolvarin-admin ${ARGN}: exit ${rc}, expected ${expected}\n${out}${err}")
  endif()
endfunction()
expect_rc(0 --help)
expect_rc(0 --version)
expect_rc(2)
expect_rc(2 frobnicate)
expect_rc(2 generate)
expect_rc(2 generate --laws -3 x.mdb)
expect_rc(2 generate --laws many x.mdb)
expect_rc(2 import /no/such/corpus.jsonl)
expect_rc(0 init)
expect_rc(2 init)
expect_rc(2 demo)
expect_rc(0 demo --force)
expect_rc(0 info)
expect_rc(0 generate --laws 50 --categories 20 --body-chars 100 gen.mdb)
if(NOT EXISTS ${WORK}/db1.mdb OR NOT EXISTS ${WORK}/gen.mdb)
  message(FATAL_ERROR "databases were not written")
endif()

# A command that fails names the line and the fault and leaves no file behind, nor does it
# touch a database it was to replace.
function(expect_fail pattern)
  execute_process(COMMAND ${ADMIN} ${ARGN} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 2 OR NOT err MATCHES "${pattern}")
    message(FATAL_ERROR "tolvarin-admin ${ARGN}: exit ${rc}, expected 2 and '${pattern}'\n${out}${err}")
  endif()
  file(GLOB left ${WORK}/new.mdb* ${WORK}/.*.tmp-*)
  if(left)
    message(FATAL_ERROR "tolvarin-admin ${ARGN} left ${left} behind")
  endif()
endfunction()
set(law "\"title\":\"法\",\"date\":\"2001-01-01\",\"body\":\"正文\"")
string(ASCII 255 ff)
file(WRITE ${WORK}/utf8.jsonl "{\"category\":[\"甲\"],${law}}\n{\"title\":\"坏${ff}\"}\n")
file(WRITE ${WORK}/array.jsonl "[1,2]\n")
file(WRITE ${WORK}/broken.jsonl "{\"category\":[\"甲\"],${law}}\n\n{\"title\": \"x\",\n")
expect_fail("utf8.jsonl:2: invalid UTF-8 at byte 14 \\(0xFF\\)" import utf8.jsonl new.mdb)
expect_fail("array.jsonl:1: not a JSON object but array" import array.jsonl new.mdb)
expect_fail("broken.jsonl:3: not valid JSON: .*column 15" import broken.jsonl new.mdb)
file(SIZE ${WORK}/gen.mdb before)
expect_fail("utf8.jsonl:2: .*gen.mdb left as it was" import utf8.jsonl --force gen.mdb)
file(SIZE ${WORK}/gen.mdb after)
if(NOT before EQUAL after)
  message(FATAL_ERROR "a failed import changed the database it was to replace")
endif()
expect_rc(0 info gen.mdb)

# What the category ids cannot code is counted: a path of seven levels, 63 top-level
# categories where 62 fit (with the first path: two too many, and filed nowhere), a law
# without a category.
set(lines "{\"category\":[\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\"],${law}}\n{${law}}\n")
foreach(k RANGE 1 63)
  string(APPEND lines "{\"category\":[\"顶${k}\"],${law}}\n")
endforeach()
file(WRITE ${WORK}/limits.jsonl "${lines}")
execute_process(COMMAND ${ADMIN} import limits.jsonl limits.mdb WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
foreach(pattern "1 category paths have more than 5 levels" "2 category paths filed higher"
                "3 laws have no category" "65 laws imported")
  if(NOT rc EQUAL 0 OR NOT "${out}${err}" MATCHES "${pattern}")
    message(FATAL_ERROR "import of limits.jsonl: exit ${rc}, expected '${pattern}'\n${out}${err}")
  endif()
endforeach()

# Progress goes to a terminal only. With standard error a pipe (as here), import, generate and
# copy say their result line on standard output and nothing else, though each runs long
# enough for the progress line to be drawn and the index stage draws at once.
file(WRITE ${WORK}/small.jsonl "{\"category\":[\"甲\"],${law}}\n")
foreach(run "import small.jsonl piped.mdb" "generate --laws 5000 --body-chars 300 piped-gen.mdb"
            "copy piped-gen.mdb piped-copy.mdb")
  separate_arguments(run_args UNIX_COMMAND "${run}")
  execute_process(COMMAND ${ADMIN} ${run_args} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT err STREQUAL "" OR NOT out MATCHES "^[^\n]+ in [0-9.]+ s\n$")
    message(FATAL_ERROR "tolvarin-admin ${run} with a pipe: exit ${rc}, expected one result line "
                        "and nothing on standard error\nout: ${out}\nerr: ${err}")
  endif()
endforeach()

# On a terminal (a pseudo-terminal made by script(1)) the line is drawn in place and erased
# before the result line; --quiet draws nothing.
find_program(SCRIPT script)
set(pty_rc 1)
if(SCRIPT)
  # A system without pseudo-terminals (some containers) cannot run this part.
  execute_process(COMMAND ${SCRIPT} -qec true /dev/null RESULT_VARIABLE pty_rc
                  OUTPUT_QUIET ERROR_QUIET)
endif()
if(NOT pty_rc EQUAL 0)
  message(STATUS "no script(1) or pseudo-terminal: progress on a terminal not tested")
else()
  string(ASCII 27 esc)
  function(run_on_terminal result)
    string(JOIN " " command ${ARGN})
    execute_process(COMMAND ${SCRIPT} -qec "${ADMIN} ${command}" /dev/null
                    WORKING_DIRECTORY ${WORK} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                    ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "tolvarin-admin ${command} on a terminal: exit ${rc}\n${out}${err}")
    endif()
    set(${result} "${out}" PARENT_SCOPE)
  endfunction()
  run_on_terminal(out generate --laws 10000 --body-chars 100 tty-gen.mdb)
  foreach(pattern
      "\rgenerate: [0-9]+ / 10000 laws \\([0-9]+%\\), [0-9.]+ laws/s, [0-9:]+ left${esc}\\[K"
      "\rgenerate: filling the search index...${esc}\\[K"
      "\rgenerate: search index: [0-9]+ / 10000 laws"
      "\rgenerate: merging the search index...${esc}\\[K"
      "\r${esc}\\[Ktty-gen.mdb: 10000 laws generated in")
    if(NOT out MATCHES "${pattern}")
      message(FATAL_ERROR "generate on a terminal: no '${pattern}' in\n${out}")
    endif()
  endforeach()
  run_on_terminal(out import small.jsonl tty.mdb)
  if(NOT out MATCHES "\rimport: filling the search index...${esc}\\[K\r${esc}\\[Ktty.mdb: 1 laws")
    message(FATAL_ERROR "import on a terminal: no progress line in\n${out}")
  endif()
  foreach(run "import --quiet small.jsonl tty-quiet.mdb"
              "generate -q --laws 5000 --body-chars 300 tty-quiet-gen.mdb"
              "copy --quiet piped-gen.mdb tty-quiet-copy.mdb")
    separate_arguments(run_args UNIX_COMMAND "${run}")
    run_on_terminal(out ${run_args})
    if(out MATCHES "${esc}" OR NOT out MATCHES "^[^\r\n]+ in [0-9.]+ s\r?\n$")
      message(FATAL_ERROR "tolvarin-admin ${run} on a terminal drew progress:\n${out}")
    endif()
  endforeach()
endif()

# The citations of a small collection: resolved ones name the law, --unresolved the titles the
# collection lacks; a bad lawid and a file that is no collection are refused.
file(WRITE ${WORK}/cite.jsonl
  "{\"category\":[\"甲\"],\"title\":\"中华人民共和国刑法\",\"date\":\"1997-03-14\",\"body\":\"第一条 为了惩罚犯罪。\"}\n"
  "{\"category\":[\"甲\"],\"title\":\"关于甲的解释\",\"date\":\"2000-01-01\",\"body\":\"第一条 依照《刑法》第一条和《某省条例》。\\n第二条 本解释第一条。\"}\n")
expect_rc(0 import cite.jsonl cite.mdb)
execute_process(COMMAND ${ADMIN} citations cite.mdb WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(want "2\t第一条\t1\t第一条\t《刑法》第一条\n2\t第二条\t2\t第一条\t本解释第一条\n")
if(NOT rc EQUAL 0 OR NOT out STREQUAL want)
  message(FATAL_ERROR "tolvarin-admin citations: exit ${rc}\n${out}${err}")
endif()
execute_process(COMMAND ${ADMIN} citations --unresolved --law 2 cite.mdb WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "2\t第一条\t\t\t《某省条例》\n")
  message(FATAL_ERROR "tolvarin-admin citations --unresolved: exit ${rc}\n${out}${err}")
endif()
expect_rc(2 citations --law x cite.mdb)
expect_rc(2 citations no-such.mdb)
file(WRITE ${WORK}/empty.mdb "")
expect_rc(2 citations empty.mdb)
