# SPDX-License-Identifier: GPL-3.0-or-later
# Bash completion of volutra-render: options, their values, and figures.
_volutra_render()
{
    local cur prev
    COMPREPLY=()
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    case $prev in
        --format)
            COMPREPLY=($(compgen -W 'bmp png svg jpg jpeg pdf' -- "$cur"))
            return ;;
        -o|--output)
            COMPREPLY=($(compgen -f -- "$cur"))
            return ;;
        --settings)
            COMPREPLY=($(compgen -f -X '!*.txt' -- "$cur"))
            return ;;
        -s|--size|--seed|--step|--turns|--pen|--mode|--budget|--margin)
            return ;;
        --page)
            COMPREPLY=($(compgen -W 'A4 A3 A5 Letter' -- "$cur"))
            return ;;
        --render)
            COMPREPLY=($(compgen -f -X '!*.@(par|png|PAR|PNG)' -- "$cur"))
            return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--render -o --output --format -s --size --seed --settings --step
            --turns --pen --mode --budget --smooth --fit --fit= --page --margin -q --quiet -h --help
            -v --version' -- "$cur"))
        return
    fi
    COMPREPLY=($(compgen -o plusdirs -f -X '!*.@(par|png|PAR|PNG)' -- "$cur"))
}
complete -o filenames -F _volutra_render volutra-render
