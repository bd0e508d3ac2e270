/* The application icon, embedded byte for byte from vantrel.ico. */
    .section .rodata
    .balign 16
    .globl _ZN3res9kIconDataE
    .hidden _ZN3res9kIconDataE
    .type _ZN3res9kIconDataE, @object
_ZN3res9kIconDataE:
    .incbin ICON_FILE
1:
    .globl _ZN3res9kIconSizeE
    .hidden _ZN3res9kIconSizeE
    .type _ZN3res9kIconSizeE, @object
    .balign 8
_ZN3res9kIconSizeE:
    .quad 1b - _ZN3res9kIconDataE
    .section .note.GNU-stack,"",@progbits
