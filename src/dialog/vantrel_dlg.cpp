#include "dialog/vantrel_dlg.h"

#include <opencv2/highgui/highgui_c.h>

#include "assist/alignment_assistant.h"
#include "dialog/about_dlg.h"
#include "platform/app.h"
#include "platform/locale.h"
#include "platform/message_box.h"
#include "platform/module_loader.h"
#include "platform/resources.h"
#include "res/resource.h"

bool g_bKoreanUi = true;

CVantrelDlg::CVantrelDlg(CWnd* parent) : CDialog(IDD_VANTREL_DIALOG, parent) {
    g_bKoreanUi = true;
    if (PRIMARYLANGID(GetSystemDefaultLangID()) != LANG_KOREAN) {
        g_bKoreanUi = false;
        m_hLangPack = LoadLibraryW(L"PalveroToolLangEng.dll");
        if (m_hLangPack)
            AfxSetResourceHandle(m_hLangPack);
        else
            AfxMessageBox(L"Cannot find language pack(PalveroToolLangEng.dll).", MB_OK);
    }
    m_hIcon = AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME) : nullptr;
}

CVantrelDlg::~CVantrelDlg() {
    if (GetSafeHwnd()) DestroyWindow();
    if (m_hLangPack) {
        if (AfxGetResourceHandle() == m_hLangPack) AfxSetResourceHandle(nullptr);
        FreeLibrary(m_hLangPack);
        m_hLangPack = nullptr;
    }
}

void CVantrelDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SLIDER_EXPOSURE, m_sliderExposure);
    DDX_Control(pDX, IDC_CHECK_EXPOSURE_AUTO, m_checkExposureAuto);
    DDX_Control(pDX, IDC_SLIDER_GAIN, m_sliderGain);
    DDX_Control(pDX, IDC_CHECK_GAIN_AUTO, m_checkGainAuto);
    DDX_Control(pDX, IDC_BTN_START, m_btnStart);
    DDX_Control(pDX, IDC_BTN_STOP, m_btnStop);
    DDX_Control(pDX, IDC_CHECK_CENTER_GUIDE, m_checkCenterGuide);
    DDX_Control(pDX, IDC_CHECK_GRID_GUIDE, m_checkGridGuide);
    DDX_Control(pDX, IDC_CHECK_FOCUS_TOOL, m_checkFocusTool);
    DDX_Control(pDX, IDC_STATIC_SIDE_TEMP, m_staticSideTemp);
    DDX_Control(pDX, IDC_STATIC_TOP_TEMP, m_staticTopTemp);
    DDX_Control(pDX, IDC_STATIC_SIDE_GAIN, m_staticSideGain);
    DDX_Control(pDX, IDC_STATIC_SIDE_EXPOSURE, m_staticSideExposure);
    DDX_Control(pDX, IDC_STATIC_TOP_GAIN, m_staticTopGain);
    DDX_Control(pDX, IDC_STATIC_TOP_EXPOSURE, m_staticTopExposure);
}

BEGIN_MESSAGE_MAP(CVantrelDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_BTN_START, &CVantrelDlg::StartCamera)
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_NOTIFY(NM_RELEASEDCAPTURE, IDC_SLIDER_GAIN, &CVantrelDlg::ApplyGain)
    ON_NOTIFY(NM_RELEASEDCAPTURE, IDC_SLIDER_EXPOSURE, &CVantrelDlg::ApplyExposure)
    ON_BN_CLICKED(IDC_CHECK_GAIN_AUTO, &CVantrelDlg::ToggleGainAuto)
    ON_BN_CLICKED(IDC_CHECK_EXPOSURE_AUTO, &CVantrelDlg::ToggleExposureAuto)
    ON_BN_CLICKED(IDC_BTN_STOP, &CVantrelDlg::StopCamera)
    ON_BN_CLICKED(IDC_BTN_SAVE_IMAGE, &CVantrelDlg::SaveImages)
    ON_BN_CLICKED(IDC_CHECK_CENTER_GUIDE, &CVantrelDlg::OnCenterGuideClicked)
    ON_BN_CLICKED(IDC_CHECK_GRID_GUIDE, &CVantrelDlg::OnGridGuideClicked)
    ON_BN_CLICKED(IDC_CHECK_FOCUS_TOOL, &CVantrelDlg::OnFocusToolClicked)
    ON_BN_CLICKED(IDC_BTN_RIGHT_HANDED, &CVantrelDlg::SelectRightHanded)
    ON_BN_CLICKED(IDC_BTN_LEFT_HANDED, &CVantrelDlg::SelectLeftHanded)
    ON_BN_CLICKED(IDC_BTN_SHOW_SAMPLE, &CVantrelDlg::ShowSamples)
    ON_BN_CLICKED(IDC_BTN_SILENT_GRAP, &CVantrelDlg::OnSilentGrapClicked)
END_MESSAGE_MAP()

BOOL CVantrelDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* systemMenu = GetSystemMenu(FALSE)) {
        CString aboutMenu;
        aboutMenu.LoadString(IDS_ABOUTBOX);
        // The assistant is ours, not the language pack's: its item stays when the pack leaves
        // About out, and then follows the separator alone.
        systemMenu->AppendMenu(MF_SEPARATOR);
        systemMenu->AppendMenu(MF_STRING, IDM_ASSISTANT,
                               g_bKoreanUi ? L"정렬 도우미" : L"Alignment Assistant");
        if (!aboutMenu.IsEmpty()) systemMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutMenu);
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    m_pFrame = nullptr;
    m_checkCenterGuide.SetCheck(BST_CHECKED);
    m_bCenterGuide = true;
    m_bGridGuide = false;
    m_bFocusTool = false;
    m_bLeftHanded = 0;
    m_bCameraRunning = false;

    m_sliderExposure.EnableWindow(FALSE);
    m_checkExposureAuto.EnableWindow(FALSE);
    m_sliderGain.EnableWindow(FALSE);
    m_checkGainAuto.EnableWindow(FALSE);

    CString title;
    title.Format(L"Vantrel (%s)", platform::FromUtf8(__DATE__).c_str());
    SetWindowText(title);

    LoadCameraBackend();
    return TRUE;
}

void CVantrelDlg::OnSysCommand(UINT id, LPARAM lParam) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.DoModal();
    } else if (id == IDM_ASSISTANT) {
        OpenAssistant();
    } else {
        CDialog::OnSysCommand(id, lParam);
    }
}

void CVantrelDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, dc.GetSafeHdc(), 0);
        const int cxIcon = GetSystemMetrics(SM_CXICON);
        const int cyIcon = GetSystemMetrics(SM_CYICON);
        CRect rect;
        GetClientRect(&rect);
        const int x = (rect.Width() - cxIcon + 1) / 2;
        const int y = (rect.Height() - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    } else {
        CDialog::OnPaint();
    }
}

HCURSOR CVantrelDlg::OnQueryDragIcon() { return m_hIcon; }

void CVantrelDlg::OnDestroy() {
    CDialog::OnDestroy();
    cvDestroyAllWindows();
    ReleaseCameraBackend();
    // The working image belongs to the dialog; nothing uses it once the dialog is gone.
    if (m_pFrame) cvReleaseImage(&m_pFrame);
    m_pAssistant.reset();
}

void CVantrelDlg::OpenAssistant() {
    if (!m_pAssistant) {
        m_pAssistant = std::make_unique<AlignmentAssistant>(g_bKoreanUi);
        m_pAssistant->Attach(GetWidget(), &m_camLink);
        m_pAssistant->SetLiveState(m_bCameraRunning, m_bLeftHanded);
    }
    m_pAssistant->Open();
}

void CVantrelDlg::UpdateAssistant() {
    if (m_pAssistant) m_pAssistant->SetLiveState(m_bCameraRunning, m_bLeftHanded);
}

void CVantrelDlg::OnCenterGuideClicked() {
    m_bCenterGuide = m_checkCenterGuide.SendMessage(BM_GETCHECK, 0, 0) != 0;
}

void CVantrelDlg::OnGridGuideClicked() {
    m_bGridGuide = m_checkGridGuide.SendMessage(BM_GETCHECK, 0, 0) != 0;
}

void CVantrelDlg::OnFocusToolClicked() {
    m_bFocusTool = m_checkFocusTool.SendMessage(BM_GETCHECK, 0, 0) != 0;
}

void CVantrelDlg::OnSilentGrapClicked() {
    // The hidden button has no function.
}
