// One spelling for a class that has one owner and must not be copied or assigned.
#pragma once

#define QUILLMOOR_NO_COPY(Class)  \
    Class(const Class&) = delete; \
    Class& operator=(const Class&) = delete
