# The layers of src/, the one table both checks and the build read. Each folder lists the folders
# it may include and link besides its own, from the bottom up; none of its own level or above.
set(may_use_engine "")
set(may_use_settings "")
set(may_use_text engine settings)
set(may_use_platform "")
set(may_use_db engine settings text platform)
set(may_use_editors ${may_use_db} db)
foreach(folder search media net exchange print html)
    set(may_use_${folder} ${may_use_editors} editors)
endforeach()
set(may_use_book ${may_use_editors} editors search media net exchange print html)
set(may_use_app ${may_use_book} book)

# The folders in an order that puts every folder after those it uses.
set(layer_folders engine settings platform text db editors search media net exchange print html
                  book app)

# Ends a check with what it found against the layers, one a line.
function(fail_on_layer_breaks what)
    if(ARGN)
        list(JOIN ARGN "\n" text)
        message(FATAL_ERROR "${what} against the layers:\n${text}")
    endif()
endfunction()
