/* The four reference pictures, baked at build time: RR, RT, LL, LT, 307,200 bytes each. */
    .section .rodata
    .balign 64
    .globl SampleImageSet
    .type SampleImageSet, @object
    .size SampleImageSet, 1228800
SampleImageSet:
    .incbin SAMPLES_FILE
    .section .note.GNU-stack,"",@progbits
