# Unpacks the real-data samples for the NTFS tests into OUT, once: the Windows-made disk
# image (GNU tar restores it sparse) with an independent copy of its $J made by The
# Sleuth Kit's icat, and the journal-less NTFS image of forensics-samples-ntfs.
# Samples that are absent are left out; the tests that need them then skip.
file(MAKE_DIRECTORY ${OUT})

set(disk_archive ${SAMPLES}/win10-ntfs-disk.tgz)
if(EXISTS ${disk_archive} AND NOT EXISTS ${OUT}/j.bin)
  execute_process(COMMAND tar -xzf ${disk_archive} -C ${OUT} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot unpack ${disk_archive}")
  endif()
  # The attribute id of $J in $UsnJrnl's record, as istat lists it: "$DATA (128-3) Name: $J".
  execute_process(COMMAND istat -o 2048 ${OUT}/ntfs.raw 42 OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
  string(REGEX MATCH "\\(128-([0-9]+)\\)[ \t]+Name: \\$J[ \t]" found "${listing}")
  if(failed OR NOT found)
    message(FATAL_ERROR "istat does not list $UsnJrnl:$J in ${OUT}/ntfs.raw")
  endif()
  execute_process(COMMAND icat -o 2048 ${OUT}/ntfs.raw 42-128-${CMAKE_MATCH_1}
                  OUTPUT_FILE ${OUT}/j.partial RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "icat cannot copy $UsnJrnl:$J")
  endif()
  file(RENAME ${OUT}/j.partial ${OUT}/j.bin)
endif()

set(plain_archive /usr/share/forensics-samples/fs.ntfs.xz)
if(EXISTS ${plain_archive} AND NOT EXISTS ${OUT}/fs.ntfs)
  execute_process(COMMAND xz -dc ${plain_archive} OUTPUT_FILE ${OUT}/fs.partial RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot unpack ${plain_archive}")
  endif()
  file(RENAME ${OUT}/fs.partial ${OUT}/fs.ntfs)
endif()
