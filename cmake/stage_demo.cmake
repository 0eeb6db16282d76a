# cmake -DDEMO=file -DDST=file -P stage_demo.cmake: copies the demo playlist unless DST exists.
if(NOT EXISTS ${DST})
    file(COPY_FILE ${DEMO} ${DST})
endif()
