# The package's documents, built from their readable sources and compressed as Debian wants them
# (gzip -9, without name or time stamp): the copyright file, the changelog (packaging/) and the
# manual pages (docs/man/, Markdown turned into roff by go-md2man).
set(VANTREL_DOCS_DIR ${CMAKE_BINARY_DIR}/package-docs)
add_custom_target(vantrel_package_docs ALL)

configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright ${VANTREL_DOCS_DIR}/copyright @ONLY)
install(FILES ${VANTREL_DOCS_DIR}/copyright DESTINATION share/doc/vantrel)

configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${VANTREL_DOCS_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${VANTREL_DOCS_DIR}/changelog.gz
    COMMAND gzip -9nkf ${VANTREL_DOCS_DIR}/changelog
    DEPENDS ${VANTREL_DOCS_DIR}/changelog
    VERBATIM)
add_custom_target(vantrel_changelog DEPENDS ${VANTREL_DOCS_DIR}/changelog.gz)
add_dependencies(vantrel_package_docs vantrel_changelog)
install(FILES ${VANTREL_DOCS_DIR}/changelog.gz DESTINATION share/doc/vantrel)

find_program(VANTREL_GO_MD2MAN go-md2man)
if(NOT VANTREL_GO_MD2MAN)
    message(WARNING "go-md2man not found (scripts/install-deps.sh installs it): "
        "the package will have no manual pages")
endif()

# vantrel_man_page(<program> <section>): docs/man/<program>.<section>.md, with @PROJECT_VERSION@
# filled in, installed as share/man/man<section>/<program>.<section>.gz.
function(vantrel_man_page program section)
    if(NOT VANTREL_GO_MD2MAN)
        return()
    endif()
    set(page ${program}.${section})
    set(markdown ${VANTREL_DOCS_DIR}/${page}.md)
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.md ${markdown} @ONLY)
    add_custom_command(OUTPUT ${VANTREL_DOCS_DIR}/${page}.gz
        COMMAND ${VANTREL_GO_MD2MAN} -in ${markdown} -out ${VANTREL_DOCS_DIR}/${page}
        COMMAND gzip -9nf ${VANTREL_DOCS_DIR}/${page}
        DEPENDS ${markdown}
        VERBATIM)
    add_custom_target(vantrel_man_${program} DEPENDS ${VANTREL_DOCS_DIR}/${page}.gz)
    add_dependencies(vantrel_package_docs vantrel_man_${program})
    install(FILES ${VANTREL_DOCS_DIR}/${page}.gz DESTINATION share/man/man${section})
endfunction()
