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
        -s|--size|--seed|--step|--turns|--pen|--mode|--budget|--margin|--duration|--fps|--hold|--frames)
            return ;;
        --page)
            COMPREPLY=($(compgen -W 'A4 A3 A5 Letter' -- "$cur"))
            return ;;
        --sweep)
            COMPREPLY=($(compgen -W 'xamp= xfreq= yamp= yfreq= xpwr1= xpwr2= xrot= xwst= yrot= ywst= ypwr1=
                ypwr2=' -- "$cur"))
            compopt -o nospace
            return ;;
        --render)
            COMPREPLY=($(compgen -f -X '!*.@(par|png|svg|pdf|PAR|PNG|SVG|PDF)' -- "$cur"))
            return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--render -o --output --format -s --size --seed --settings --step
            --turns --pen --mode --smooth --fit --fit= --page --margin --animate --duration --fps --hold
            --sweep --frames --budget -q --quiet -h --help -v --version' -- "$cur"))
        return
    fi
    COMPREPLY=($(compgen -o plusdirs -f -X '!*.@(par|png|svg|pdf|PAR|PNG|SVG|PDF)' -- "$cur"))
}
complete -o filenames -F _volutra_render volutra-render
